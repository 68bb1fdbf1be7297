// Sizes on screens of any scale. The program's sizes are given in pixels at 96 dots per
// inch and scaled to the DPI of the window they are used in.
#pragma once

#include <windows.h>

namespace korvel {

// The DPI a window is shown at: its monitor's under per-monitor awareness, else the
// system's.
UINT DpiOf(HWND window);
// The system's DPI, for what exists before any window.
UINT SystemDpi();

inline int Scale(int px96, UINT dpi) { return MulDiv(px96, static_cast<int>(dpi), 96); }
inline int Unscale(int px, UINT dpi) { return MulDiv(px, 96, static_cast<int>(dpi)); }

// The program's interface font, "MS Sans Serif" 8 point (11 pixels at 96 DPI), Cyrillic,
// for `dpi`. The caller deletes it.
HFONT CreateInterfaceFont(UINT dpi);

}  // namespace korvel
