// The system services of a send job from the standard library: std::thread, the steady
// clock, the local time. The native build's (tests and benchmarks); the program uses
// the Win32 one.
#pragma once

#include <memory>

#include "sending/send_job.h"

namespace korvel {

class StdJobSystem : public JobSystem {
 public:
  uint32_t Ticks() override;
  void Sleep(uint32_t ms) override;
  LogTime Now() override;
  std::unique_ptr<JobThread> StartThread(std::function<void()> body) override;
  bool StartDetached(std::function<void()> body) override;
};

}  // namespace korvel
