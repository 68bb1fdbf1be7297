// TDeliveryLog: the list at the bottom of the main window where every delivery attempt
// is shown, newest first. Every worker waits for its line's insertion, so an insertion
// must be cheap: the list holds no lines of its own (an owner-data list over the log's
// model, which it asks for what it shows), and its drawing waits: 50 ms for a line after a
// quiet while, and while lines keep coming it is redrawn four times a second (under Wine a
// visible list redraws its scroll bar on the spot, some 5 ms, at every change of its length,
// and every drawing of its lines costs some 10 ms more). A failed line tells why as its tip,
// its text staying what it was.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "base/settings.h"
#include "sending/delivery_log.h"
#include "sending/log_hover_tip_win.h"
#include "sending/log_reasons_win.h"

namespace korvel {

class TDeliveryLog {
 public:
  // `settings` (MaxLineLog) belongs to the main window and outlives the log.
  TDeliveryLog(HWND parent, HIMAGELIST markImages, const Settings& settings);
  ~TDeliveryLog();
  TDeliveryLog(const TDeliveryLog&) = delete;
  TDeliveryLog& operator=(const TDeliveryLog&) = delete;

  HWND lvLog = nullptr;

  void Place(HDWP& dwp, const RECT& area);
  // Column widths and mark images for the window's DPI.
  void ApplyDpi(UINT dpi, HIMAGELIST markImages);
  // "Информация" takes the width the list has left (after a resize too).
  void FitInformation();

  // The log insertion (UI thread): `entry` at the top, the oldest line beyond MaxLineLog
  // dropped.
  void Insert(const LogEntry& entry);
  // The same for entries in the order they came, the last one ending at the top.
  void Insert(const std::vector<LogEntry>& entries);
  void actClearLogExecute();
  size_t Count() const { return model_.Count(); }

  // The list's notifications, forwarded by the main window: it asks here for what it shows
  // and for a failed line's tip.
  LRESULT OnNotify(NMHDR* hdr);
  // Why line `row` failed (its code and what it means), empty for a line that did not fail.
  // The line's tip and what screen readers give as its description.
  std::wstring Reason(size_t row) const;
  // Whether the system's annotation service gives screen readers those reasons too.
  bool ReasonsAnnotated() const { return reasons_ && reasons_->Annotated(); }
  // The tooltip that shows those reasons where the list shows no tips of its own (Wine);
  // null elsewhere.
  HWND HoverTip() const { return hoverTip_ ? hoverTip_->Tip() : nullptr; }

  // The "Дата" column: the user's short date, a blank, the user's long time.
  static std::wstring DateText(const LogTime& time);

 private:
  static void CALLBACK RedrawTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
  // The list's lines change at once; its drawing waits for the timer.
  void HoldRedraw();
  void ResumeRedraw();

  const Settings& settings_;
  DeliveryLogModel model_;
  bool redrawHeld_ = false;
  ULONGLONG lastDrawn_ = 0;  // GetTickCount64() when the held drawing was last let go
  std::unique_ptr<LogReasons> reasons_;
  std::unique_ptr<LogHoverTip> hoverTip_;
};

}  // namespace korvel
