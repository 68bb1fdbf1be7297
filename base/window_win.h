// Base of the program's windows: one place maps an HWND to its object, and no
// exception leaves a window procedure.
#pragma once

#include <windows.h>

namespace korvel {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return hwnd_; }

  // The window procedure of every class whose windows are Window objects; pass `this`
  // as the creation parameter of CreateWindowEx.
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

  HWND hwnd_ = nullptr;
};

// Runs `fn`; an exception it raises is shown in a message box and stops there.
template <typename Fn>
bool Guarded(Fn&& fn);

}  // namespace korvel

#include "base/window_win.inl"
