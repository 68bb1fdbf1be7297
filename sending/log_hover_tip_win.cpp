#include "sending/log_hover_tip_win.h"

#include <commctrl.h>

#include "base/controls_win.h"

namespace korvel {

LogHoverTip::LogHoverTip(HWND list, std::function<std::wstring(size_t row)> reason)
    : list_(list), reason_(std::move(reason)) {
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                         WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, GetParent(list), nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (!tip_) return;
  TooltipAddWindow(tip_, list_, L"");
  // Reasons run to a sentence or two: wrapped, not one line across the screen.
  TooltipSetMaxWidth(tip_, 400);
  SetWindowSubclass(list_, &LogHoverTip::ListProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LogHoverTip::~LogHoverTip() {
  if (!tip_) return;
  if (IsWindow(list_)) RemoveWindowSubclass(list_, &LogHoverTip::ListProc, 0);
  DestroyWindow(tip_);
}

void LogHoverTip::Forget() { row_ = -2; }

void LogHoverTip::MouseAt(LPARAM lp) {
  LVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  const int row = ListView_HitTest(list_, &hit);
  if (row == row_) return;
  row_ = row;
  // An empty text keeps the tip hidden over lines that did not fail.
  TooltipHide(tip_);
  TooltipSetText(tip_, list_, row < 0 ? std::wstring() : reason_(static_cast<size_t>(row)));
}

LRESULT CALLBACK LogHoverTip::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR self) {
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    auto* tip = reinterpret_cast<LogHoverTip*>(self);
    if (msg == WM_MOUSEMOVE) tip->MouseAt(lp);
    TooltipRelay(tip->tip_, MSG{hwnd, msg, wp, lp, static_cast<DWORD>(GetMessageTime()), {}});
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &LogHoverTip::ListProc, 0);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace korvel
