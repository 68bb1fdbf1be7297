// TSendJobs: starts the main window's send jobs. Each job gets a transport of its own,
// the system's threads and clock, and the window's hand-over into the delivery log; the
// sender-name policy reaches running jobs as the options dialog changes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/settings.h"
#include "base/ui_thread_call_win.h"
#include "sending/delivery_log_win.h"
#include "sending/messenger.h"
#include "sending/send_job.h"

namespace korvel {

class TSendJobs {
 public:
  struct Services {
    // Makes the transport of one job; called on the UI thread as the job starts.
    std::function<std::shared_ptr<Messenger>()> newJobMessenger;
    std::shared_ptr<JobSystem> system;
  };

  // `settings` and `log` belong to the main window and outlive this object (but not
  // necessarily the jobs, which reach the log only through `uiCall`). `sendInProgress`
  // is the window's flag, shared with every job.
  TSendJobs(const Settings& settings, TDeliveryLog& log, UiThreadCall uiCall,
            std::shared_ptr<std::atomic<uint8_t>> sendInProgress, Services services);
  TSendJobs(const TSendJobs&) = delete;
  TSendJobs& operator=(const TSendJobs&) = delete;

  bool Running() const { return *sendInProgress_ != 0; }

  // Takes PatchInstalled and WhatSend from the settings, for the workers that reach
  // their policy step from now on.
  void PolicyChanged();

  // Starts a job (UI thread). False when one runs already or the system refused it.
  bool Start(JobOrder order);

 private:
  const Settings& settings_;
  TDeliveryLog& log_;
  UiThreadCall uiCall_;
  std::shared_ptr<std::atomic<uint8_t>> sendInProgress_;
  Services services_;
  std::shared_ptr<SenderPolicySource> policy_ = std::make_shared<SenderPolicySource>();
};

}  // namespace korvel
