#include "sending/send_jobs_win.h"

#include "sending/job_system_win.h"
#include "sending/transport_win.h"

namespace korvel {

namespace {

// The window as a job sees it. The log is touched only on the UI thread, inside a call
// that the window refuses once it has begun to close, before the log goes.
class WindowJobHost : public JobHost {
 public:
  WindowJobHost(UiThreadCall uiCall, TDeliveryLog& log) : uiCall_(std::move(uiCall)), log_(log) {}
  bool HandOver(const LogEntry& entry) noexcept override {
    return uiCall_.Run([&] { log_.Insert(entry); });
  }
  bool HandOverBatch(const std::vector<LogEntry>& entries) noexcept override {
    return uiCall_.Run([&] { log_.Insert(entries); });
  }
  bool Closed() const noexcept override { return uiCall_.Closed(); }
  void JobEnded() noexcept override { uiCall_.Wake(); }

 private:
  UiThreadCall uiCall_;
  TDeliveryLog& log_;
};

}  // namespace

TSendJobs::TSendJobs(const Settings& settings, TDeliveryLog& log, UiThreadCall uiCall,
                     std::shared_ptr<std::atomic<uint8_t>> sendInProgress, Services services)
    : settings_(settings),
      log_(log),
      uiCall_(std::move(uiCall)),
      sendInProgress_(std::move(sendInProgress)),
      services_(std::move(services)) {
  if (!services_.newJobMessenger) services_.newJobMessenger = ProgramTransport();
  if (!services_.system) services_.system = std::make_shared<WinJobSystem>();
  PolicyChanged();
}

void TSendJobs::PolicyChanged() { policy_->Set({settings_.PatchInstalled, settings_.WhatSend}); }

bool TSendJobs::Start(JobOrder order) {
  if (Running()) return false;
  auto job = std::make_shared<SendJob>();
  job->messenger = services_.newJobMessenger();
  if (!job->messenger) job->messenger = NewOwnMessenger();
  job->system = services_.system;
  job->host = std::make_shared<WindowJobHost>(uiCall_, log_);
  job->policy = policy_;
  job->sendInProgress = sendInProgress_;
  job->texts = SendTexts::FromStringTable();
  job->maxThreads = settings_.MaxThreads;
  return StartSendJob(job, std::move(order));
}

}  // namespace korvel
