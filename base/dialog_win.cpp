#include "base/dialog_win.h"

#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "base/window_win.h"

namespace korvel {

INT_PTR Dialog::RunModal(HWND owner, int templateId) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                         &Dialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lp);
    self->hwnd_ = hwnd;
    self->dpi_ = DpiOf(hwnd);
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  if (!Guarded([&] { result = self->DialogProc(msg, wp, lp); })) {
    // A dialog that could not be set up has nothing to show.
    if (msg == WM_INITDIALOG) EndDialog(hwnd, IDCANCEL);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

INT_PTR Dialog::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)) ? TRUE : FALSE;
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return TRUE;
  }
  bool handled = false;
  INT_PTR result = OnMessage(msg, wp, lp, handled);
  return handled ? result : FALSE;
}

bool Dialog::OnCommand(int id, int, HWND) {
  if (id != IDOK && id != IDCANCEL) return false;
  End(id);
  return true;
}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void Dialog::End(INT_PTR result) { EndDialog(hwnd_, result); }

int Dialog::Scale(int px96) const { return korvel::Scale(px96, dpi_); }

void Dialog::DpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!layout_.empty()) Layout(layoutWidth_, layoutHeight_, std::vector<Place>(layout_));
  OnDpiChanged();
}

void Dialog::Layout(int width, int height, std::span<const Place> places) {
  layoutWidth_ = width;
  layoutHeight_ = height;
  layout_.assign(places.begin(), places.end());
  RECT frame{0, 0, Scale(width), Scale(height)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const Place& p : places)
    SetWindowPos(Item(p.id), nullptr, Scale(p.x), Scale(p.y), Scale(p.width), Scale(p.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  font_.Reset(CreateInterfaceFont(dpi_));
  SetFontOfChildren(hwnd_, font_, false);
}

void Dialog::CenterOn(HWND window) {
  RECT owner{}, self{};
  GetWindowRect(window, &owner);
  GetWindowRect(hwnd_, &self);
  const int w = self.right - self.left, h = self.bottom - self.top;
  SetWindowPos(hwnd_, nullptr, owner.left + (owner.right - owner.left - w) / 2,
               owner.top + (owner.bottom - owner.top - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace korvel
