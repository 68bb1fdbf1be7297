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

void TSplitter::SplitterSetCursor() {
  SetCursor(LoadCursorW(nullptr, kind_ == Kind::Vertical ? IDC_SIZEWE : IDC_SIZENS));
}

void TSplitter::SplitterMouseDown(POINT at) {
  grabOffset_ = kind_ == Kind::Vertical ? at.x : at.y;
  SetCapture(hwnd_);
}

void TSplitter::SplitterMouseMove(POINT at) {
  if (GetCapture() != hwnd_) return;
  MapWindowPoints(hwnd_, GetParent(hwnd_), &at, 1);
  onDrag_((kind_ == Kind::Vertical ? at.x : at.y) - grabOffset_);
}

void TSplitter::SplitterMouseUp() {
  if (GetCapture() == hwnd_) ReleaseCapture();
}

LRESULT TSplitter::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      SplitterSetCursor();
      return TRUE;
    case WM_LBUTTONDOWN:
      SplitterMouseDown({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_MOUSEMOVE:
      SplitterMouseMove({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
      SplitterMouseUp();
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace korvel
