#include "app/formini_win.h"

#include "app/defaults.h"
#include "app/message_box_win.h"

namespace korvel {

TFormINI::TFormINI(const std::string& exePath)
    : exePath_(exePath), ini_(SettingsFileName(exePath)) {
  ReadSettings(ini_, exePath_, gApp);
}

HWND TFormINI::CreateForm(const wchar_t* className, DWORD style, DWORD exStyle,
                          const WindowGeometry& designed) {
  WindowGeometry g = ReadWindowPosition(ini_, designed);
  return CreateWindowExW(exStyle, className, L"Korvel", style, g.left, g.top, g.width, g.height,
                         nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

void TFormINI::ShowForm() {
  switch (ReadWindowState(ini_)) {
    case 0:
      ShowWindow(hwnd_, SW_SHOWNORMAL);
      break;
    case 1:
      ShowWindow(hwnd_, SW_SHOWMINIMIZED);
      break;
    case 2:
      ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
      break;
    default:
      ShowWindow(hwnd_, SW_SHOW);
  }
}

WindowState TFormINI::CurrentWindowState() const {
  if (IsZoomed(hwnd_)) return WindowState::Maximized;
  if (IsIconic(hwnd_)) return WindowState::Minimized;
  return WindowState::Normal;
}

void TFormINI::WriteSettingsBack() {
  NoteWrite(WriteSettings(ini_, gApp));
  WindowState state = CurrentWindowState();
  RECT r{};
  if (state == WindowState::Minimized) {
    // A minimised window's own rectangle is its icon; keep the size it will restore to.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(hwnd_, &wp);
    r = wp.rcNormalPosition;
  } else {
    GetWindowRect(hwnd_, &r);
  }
  WindowGeometry g{r.left, r.top, r.right - r.left, r.bottom - r.top};
  NoteWrite(WriteWindowGeometry(ini_, g, state));
}

void TFormINI::ReportRefusedWrites() {
  if (writeRefused_) ShowMessage(ini_.WriteErrorText());
  writeRefused_ = false;
}

}  // namespace korvel
