#include "app/splitter_win.h"

#include <windowsx.h>

namespace korvel {

namespace {
const wchar_t* ClassName() {
  static const wchar_t* name = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::StaticWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TSplitter";
    RegisterClassExW(&wc);
    return L"TSplitter";
  }();
  return name;
}
}  // namespace

TSplitter::TSplitter(HWND parent, int id, Kind kind, std::function<void(int)> onDrag)
    : kind_(kind), onDrag_(std::move(onDrag)) {
  CreateWindowExW(0, ClassName(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                  this);
}

LRESULT TSplitter::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, kind_ == Kind::Vertical ? IDC_SIZEWE : IDC_SIZENS));
      return TRUE;
    case WM_LBUTTONDOWN:
      grabOffset_ = kind_ == Kind::Vertical ? GET_X_LPARAM(lp) : GET_Y_LPARAM(lp);
      SetCapture(hwnd_);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == hwnd_) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        MapWindowPoints(hwnd_, GetParent(hwnd_), &p, 1);
        onDrag_((kind_ == Kind::Vertical ? p.x : p.y) - grabOffset_);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
      if (GetCapture() == hwnd_) ReleaseCapture();
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace korvel
