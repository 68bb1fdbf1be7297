#include "sending/job_system_win.h"

#include <windows.h>

#include <process.h>

#include <atomic>

#include "base/handles_win.h"
#include "base/worker_guard.h"

namespace korvel {

namespace {

struct ThreadStart {
  std::function<void()> body;
  std::shared_ptr<std::atomic<bool>> bodyDone;  // may be empty
};

// The body, and whatever it holds, is gone before the thread counts as done.
unsigned __stdcall ThreadMain(void* param) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
  WorkerGuarded(start->body, "running a send job's thread");
  start->body = nullptr;
  if (start->bodyDone) *start->bodyDone = true;
  return 0;
}

UniqueHandle Begin(std::function<void()> body, std::shared_ptr<std::atomic<bool>> bodyDone) {
  auto start = std::make_unique<ThreadStart>(ThreadStart{std::move(body), std::move(bodyDone)});
  UniqueHandle handle(
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadMain, start.get(), 0, nullptr)));
  if (handle) start.release();
  return handle;
}

// A thread has ended when its exit code says so. Asking costs a round trip to the
// wineserver under Wine, so a thread whose body is still running is not asked.
class WinJobThread : public JobThread {
 public:
  WinJobThread(UniqueHandle handle, std::shared_ptr<std::atomic<bool>> bodyDone)
      : handle_(std::move(handle)), bodyDone_(std::move(bodyDone)) {}
  bool StillActive() const override {
    if (!*bodyDone_) return true;
    DWORD code = 0;
    return GetExitCodeThread(handle_, &code) && code == STILL_ACTIVE;
  }

 private:
  UniqueHandle handle_;
  std::shared_ptr<std::atomic<bool>> bodyDone_;
};

}  // namespace

uint32_t WinJobSystem::Ticks() { return GetTickCount(); }

void WinJobSystem::Sleep(uint32_t ms) { ::Sleep(ms); }

LogTime WinJobSystem::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::unique_ptr<JobThread> WinJobSystem::StartThread(std::function<void()> body) {
  auto bodyDone = std::make_shared<std::atomic<bool>>(false);
  UniqueHandle handle = Begin(std::move(body), bodyDone);
  return handle ? std::make_unique<WinJobThread>(std::move(handle), std::move(bodyDone)) : nullptr;
}

bool WinJobSystem::StartDetached(std::function<void()> body) {
  return static_cast<bool>(Begin(std::move(body), nullptr));
}

}  // namespace korvel
