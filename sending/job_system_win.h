// The system services of a send job on Windows: threads whose end is seen by their exit
// code, the tick counter, Sleep and the local time.
#pragma once

#include <memory>

#include "sending/send_job.h"

namespace korvel {

class WinJobSystem : public JobSystem {
 public:
  uint32_t Ticks() override;
  void Sleep(uint32_t ms) override;
  LogTime Now() override;
  std::unique_ptr<JobThread> StartThread(std::function<void()> body) override;
  bool StartDetached(std::function<void()> body) override;
};

}  // namespace korvel
