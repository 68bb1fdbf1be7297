// TFormINI: the window base that owns the settings file for the main window's life.
// Its constructor reads every setting before the window exists; creating the window
// applies the stored position and size; each showing applies the stored window state;
// at the end it writes the settings and the window geometry back.
#pragma once

#include <string>

#include <windows.h>

#include "base/ini_file.h"
#include "base/settings.h"
#include "base/window_win.h"

namespace korvel {

class TFormINI : public Window {
 public:
  // Opens "<exe without extension>.ini" beside `exePath` (UTF-8) and reads the settings.
  explicit TFormINI(const std::string& exePath);

  IniFile& Ini() { return ini_; }
  const std::string& ExePath() const { return exePath_; }
  // The settings, read at start and written back at exit.
  Settings& Values() { return settings_; }
  const Settings& Values() const { return settings_; }

  // Shows the window in the state stored in the settings (normal, minimised,
  // maximised); any other stored value leaves the state as it is.
  void ShowForm();

 protected:
  // Creates the system window at the stored position and size. The settings keep them
  // in pixels at 96 DPI, so a window moved to a screen of another scale opens the same;
  // they are scaled to the system's DPI here, and back from the window's at the end.
  HWND CreateForm(const wchar_t* className, DWORD style, DWORD exStyle,
                  const WindowGeometry& designed);
  void SetGeometryDpi(UINT dpi) { geometryDpi_ = dpi; }

  // Writes the settings and the window geometry. Every key is attempted; a refused
  // write is remembered and reported once by ReportRefusedWrites.
  void WriteSettingsBack();
  void NoteWrite(bool ok) { writeRefused_ = writeRefused_ || !ok; }
  void ReportRefusedWrites();

  // The state and place the window has as the user left it. A window minimised into the
  // notification area counts as the state it will come back in (normal or maximised),
  // with its normal place: stored as "minimised", every later start would go straight
  // back into the tray.
  WindowState StateToStore(WindowGeometry& geometry) const;

 private:
  std::string exePath_;
  IniFile ini_;
  Settings settings_;
  UINT geometryDpi_ = 96;
  bool writeRefused_ = false;
};

}  // namespace korvel
