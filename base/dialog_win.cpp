#include "base/dialog_win.h"

#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "base/text_win.h"
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
  const auto doing = [hwnd] {
    return Narrow(L"Обработка действия в окне «") + GetWindowText1251(hwnd) + Narrow(L"»");
  };
  if (!GuardedAs([&] { result = self->DialogProc(msg, wp, lp); }, doing)) {
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
      Command(LOWORD(wp), HIWORD(wp));
      return TRUE;
    case WM_PAINT: {
      const PaintScope paint(hwnd_);
      OnPaint(paint.Dc());
      return TRUE;
    }
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(OnBackground(reinterpret_cast<HDC>(wp)));
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(
          OnStaticColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_SETCURSOR:
      if (!OnSetCursor(reinterpret_cast<HWND>(wp))) return FALSE;
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown();
      return TRUE;
    case WM_LBUTTONUP:
      OnLeftButtonUp();
      return TRUE;
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return TRUE;
  }
  return FALSE;
}

// A static control that notifies sends STN_CLICKED, which is BN_CLICKED's code. A click
// may come without its control, as BM_CLICK's callers and the keyboard send it.
void Dialog::Command(int id, int notifyCode) {
  if (id == IDOK)
    OnOK();
  else if (id == IDCANCEL)
    OnCancel();
  else if (notifyCode == BN_CLICKED)
    OnClicked(id);
  else if (notifyCode == EN_CHANGE)
    OnEditChanged(id);
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
