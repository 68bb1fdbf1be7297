#include "sending/job_system_win.h"

#include <windows.h>

#include <process.h>

#include "base/worker_guard.h"

namespace korvel {

namespace {

// The body, and whatever it holds, is gone before the thread's exit code is set.
unsigned __stdcall ThreadMain(void* param) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(param));
  WorkerGuarded(*body);
  body.reset();
  return 0;
}

HANDLE Begin(std::function<void()> body) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  auto handle =
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadMain, owned.get(), 0, nullptr));
  if (handle) owned.release();
  return handle;
}

class WinJobThread : public JobThread {
 public:
  explicit WinJobThread(HANDLE handle) : handle_(handle) {}
  ~WinJobThread() override { CloseHandle(handle_); }
  bool StillActive() const override {
    DWORD code = 0;
    return GetExitCodeThread(handle_, &code) && code == STILL_ACTIVE;
  }

 private:
  HANDLE handle_;
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
  HANDLE handle = Begin(std::move(body));
  return handle ? std::make_unique<WinJobThread>(handle) : nullptr;
}

bool WinJobSystem::StartDetached(std::function<void()> body) {
  HANDLE handle = Begin(std::move(body));
  if (handle) CloseHandle(handle);
  return handle != nullptr;
}

}  // namespace korvel
