// Base of the program's windows: one place maps an HWND to its object, and no
// exception leaves a window procedure.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

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
  // What the window was doing with `msg`, in the user's words (Windows-1251), for the
  // message that tells of a failure.
  virtual std::string Doing(UINT msg, WPARAM wp) const;
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

  HWND hwnd_ = nullptr;
};

// What the program was doing when it failed, for the message that tells of a failure.
constexpr const wchar_t* kDoingWindow = L"Обработка действия в окне";

// Runs `fn`; an exception it raises is shown in a message box and stops there: a
// KorvelError with its own text, anything else as a Russian message that says what the
// program was `doing`. The exception's own text goes to the trace, never to the user.
template <typename Fn>
bool Guarded(Fn&& fn, const wchar_t* doing = kDoingWindow);
// The same, with the description (Windows-1251) made only when something failed.
template <typename Fn, typename Describe>
bool GuardedAs(Fn&& fn, Describe&& describe);

// Shows a KorvelError's text, or for any other failure (`failure` nullptr when it was no
// std::exception) "<doing>: внутренняя ошибка программы." and traces what it was.
void ShowFailure(const std::string& doing, const std::exception* failure) noexcept;

}  // namespace korvel

#include "base/window_win.inl"
