#include "app/formini_win.h"

#include "base/dpi_win.h"
#include "base/message_box_win.h"

namespace korvel {

TFormINI::TFormINI(const std::string& exePath)
    : exePath_(exePath), ini_(SettingsFileName(exePath)) {
  ReadSettings(ini_, exePath_, settings_);
}

HWND TFormINI::CreateForm(const wchar_t* className, DWORD style, DWORD exStyle,
                          const WindowGeometry& designed) {
  WindowGeometry g = ReadWindowPosition(ini_, designed);
  geometryDpi_ = SystemDpi();
  auto s = [&](int v) { return Scale(v, geometryDpi_); };
  return CreateWindowExW(exStyle, className, L"Korvel", style, s(g.left), s(g.top), s(g.width),
                         s(g.height), nullptr, nullptr, GetModuleHandleW(nullptr), this);
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

WindowState TFormINI::StateToStore(WindowGeometry& g) const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  if (IsIconic(hwnd_)) {
    // A minimised window's own rectangle is its icon. Its normal place is given in
    // work-area coordinates, which start where the taskbar ends.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(hwnd_, &wp);
    r = wp.rcNormalPosition;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &mi))
      OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
    g = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    return wp.flags & WPF_RESTORETOMAXIMIZED ? WindowState::Maximized : WindowState::Normal;
  }
  g = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  return IsZoomed(hwnd_) ? WindowState::Maximized : WindowState::Normal;
}

void TFormINI::WriteSettingsBack() {
  NoteWrite(WriteSettings(ini_, settings_));
  WindowGeometry g;
  WindowState state = StateToStore(g);
  auto u = [&](int v) { return Unscale(v, geometryDpi_); };
  NoteWrite(WriteWindowGeometry(ini_, {u(g.left), u(g.top), u(g.width), u(g.height)}, state));
}

void TFormINI::ReportRefusedWrites() {
  if (writeRefused_) ShowMessage(ini_.WriteErrorText());
  writeRefused_ = false;
}

}  // namespace korvel
