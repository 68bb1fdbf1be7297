#include "base/window_win.h"

#include <new>

#include "base/trace.h"

namespace korvel {

Window::~Window() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

LRESULT CALLBACK Window::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  GuardedAs([&] { result = self->HandleMessage(msg, wp, lp); },
            [&] { return self->Doing(msg, wp); });
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

std::string Window::Doing(UINT, WPARAM) const { return Narrow(kDoingWindow); }

void ShowFailure(const std::string& doing, const std::exception* failure) noexcept {
  try {
    if (const auto* error = dynamic_cast<const KorvelError*>(failure)) {
      ShowMessage(error->what());
      return;
    }
    const std::string what = doing.empty() ? Narrow(kDoingWindow) : doing;
    Trace(FailureLine(what, failure ? failure->what() : nullptr));
    const bool memory = dynamic_cast<const std::bad_alloc*>(failure) != nullptr;
    ShowMessage(what +
                Narrow(memory ? L": не хватило памяти." : L": внутренняя ошибка программы."));
  } catch (...) {
    // No memory even for the message: the failure stops here all the same.
  }
}

}  // namespace korvel
