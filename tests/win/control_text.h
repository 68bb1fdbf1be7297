// Whether a control shows its whole text: measured with the control's own font, wrapped
// at its width where the control wraps, it must fit the control's client area.
#pragma once

#include <windows.h>

#include <string>

namespace korvel::test {

inline bool TextFits(HWND control, bool wraps) {
  wchar_t text[512] = {};
  GetWindowTextW(control, text, 512);
  RECT client;
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font);
  RECT need{0, 0, client.right, 0};
  DrawTextW(dc, text, -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return need.right <= client.right && need.bottom <= client.bottom;
}

}  // namespace korvel::test
