// TDeliveryLog: the list at the bottom of the main window where every delivery attempt
// is shown, newest first.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace korvel {

class TDeliveryLog {
 public:
  TDeliveryLog(HWND parent, HIMAGELIST markImages);
  TDeliveryLog(const TDeliveryLog&) = delete;
  TDeliveryLog& operator=(const TDeliveryLog&) = delete;

  HWND lvLog = nullptr;

  void Place(HDWP& dwp, const RECT& area);
  // Column widths and mark images for the window's DPI.
  void ApplyDpi(UINT dpi, HIMAGELIST markImages);

  void actClearLogExecute();
};

}  // namespace korvel
