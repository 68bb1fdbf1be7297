#include "sending/job_system.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace korvel {

namespace {

// A thread that counts as ended only once its body, and whatever the body held, is gone.
class StdJobThread : public JobThread {
 public:
  explicit StdJobThread(std::function<void()> body)
      : thread_([this, run = std::move(body)]() mutable {
          std::move(run)();
          run = nullptr;
          ended_ = true;
        }) {}
  ~StdJobThread() override { thread_.join(); }
  bool StillActive() const override { return !ended_; }

 private:
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

}  // namespace

uint32_t StdJobSystem::Ticks() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void StdJobSystem::Sleep(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

LogTime StdJobSystem::Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  auto u = [](int v) { return static_cast<uint16_t>(v); };
  return {u(tm.tm_year + 1900), u(tm.tm_mon + 1), u(tm.tm_mday),
          u(tm.tm_hour),        u(tm.tm_min),     u(tm.tm_sec)};
}

std::unique_ptr<JobThread> StdJobSystem::StartThread(std::function<void()> body) {
  try {
    return std::make_unique<StdJobThread>(std::move(body));
  } catch (...) {
    return nullptr;
  }
}

bool StdJobSystem::StartDetached(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace korvel
