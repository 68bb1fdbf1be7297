#include "base/dpi_win.h"

namespace korvel {

namespace {
// GetDpiForWindow exists from Windows 10 1607 on; earlier systems know only one DPI.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn DpiForWindow() {
  static const auto fn = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  return fn;
}
}  // namespace

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT DpiOf(HWND window) {
  if (auto fn = DpiForWindow(); fn && window) {
    UINT dpi = fn(window);
    if (dpi > 0) return dpi;
  }
  return SystemDpi();
}

HFONT CreateInterfaceFont(UINT dpi) {
  return CreateFontW(-Scale(11, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
}

}  // namespace korvel
