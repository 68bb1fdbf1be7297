#include "base/ui_thread_call_win.h"

#include <atomic>

namespace korvel {

namespace {
struct CallRecord {
  const std::function<void()>* fn;
  const std::atomic<bool>* closed;
  bool ran = false;
};

UINT CallMessage() {
  static const UINT message = RegisterWindowMessageW(L"Korvel.UiThreadCall");
  return message;
}
}  // namespace

struct UiThreadCall::State {
  std::atomic<bool> closed{false};
  std::atomic<HWND> hwnd{nullptr};
  DWORD uiThread = GetCurrentThreadId();

  // The last copy may be let go on a worker thread, which cannot destroy the window:
  // its own thread does, when the close arrives.
  ~State() {
    if (HWND h = hwnd.exchange(nullptr)) PostMessageW(h, WM_CLOSE, 0, 0);
  }

  // The record lives on the waiting worker's stack, which also keeps its state alive.
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == 0 || msg != CallMessage()) return DefWindowProcW(hwnd, msg, wp, lp);
    auto* call = reinterpret_cast<CallRecord*>(lp);
    if (!call || *call->closed) return 0;
    try {
      (*call->fn)();
      call->ran = true;
    } catch (...) {
      // The caller learns that it failed; what to say about it is the caller's.
    }
    return 0;
  }
};

UiThreadCall::UiThreadCall() : state_(std::make_shared<State>()) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &State::WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KorvelUiThreadCall";
    return RegisterClassExW(&wc);
  }();
  HWND hwnd = atom ? CreateWindowExW(0, L"KorvelUiThreadCall", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                     nullptr, GetModuleHandleW(nullptr), nullptr)
                   : nullptr;
  state_->hwnd = hwnd;
  if (!hwnd) state_->closed = true;
}

bool UiThreadCall::Run(const std::function<void()>& fn) const noexcept {
  if (state_->closed || !fn) return false;
  if (GetCurrentThreadId() == state_->uiThread) {
    try {
      fn();
      return true;
    } catch (...) {
      return false;
    }
  }
  HWND hwnd = state_->hwnd;
  if (!hwnd) return false;
  CallRecord call{&fn, &state_->closed};
  SendMessageW(hwnd, CallMessage(), 0, reinterpret_cast<LPARAM>(&call));
  return call.ran;
}

void UiThreadCall::Wake() const noexcept {
  HWND hwnd = state_->hwnd;
  if (hwnd && !state_->closed) PostMessageW(hwnd, WM_NULL, 0, 0);
}

void UiThreadCall::Close() const noexcept {
  if (state_->closed.exchange(true)) return;
  if (HWND hwnd = state_->hwnd.exchange(nullptr)) DestroyWindow(hwnd);
}

bool UiThreadCall::Closed() const noexcept { return state_->closed; }

}  // namespace korvel
