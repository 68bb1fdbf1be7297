// TDeliveryLog: the list at the bottom of the main window where every delivery attempt
// is shown, newest first. The list holds no lines of its own: it is an owner-data list
// over the log's model and asks for what it shows, so adding a line costs the same
// however long the log is (a row inserted into a visible list costs ~10 ms under Wine,
// and every worker waits for its insertion).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/settings.h"
#include "sending/delivery_log.h"

namespace korvel {

class TDeliveryLog {
 public:
  // `settings` (MaxLineLog) belongs to the main window and outlives the log.
  TDeliveryLog(HWND parent, HIMAGELIST markImages, const Settings& settings);
  TDeliveryLog(const TDeliveryLog&) = delete;
  TDeliveryLog& operator=(const TDeliveryLog&) = delete;

  HWND lvLog = nullptr;

  void Place(HDWP& dwp, const RECT& area);

  // The log insertion (UI thread): `entry` at the top, the oldest line beyond MaxLineLog
  // dropped.
  void Insert(const LogEntry& entry);
  void actClearLogExecute();
  size_t Count() const { return model_.Count(); }

  // The list's notifications, forwarded by the main window: it asks here for what it shows.
  LRESULT OnNotify(NMHDR* hdr);

  // The "Дата" column: the user's short date, a blank, the user's long time.
  static std::wstring DateText(const LogTime& time);

 private:
  const Settings& settings_;
  DeliveryLogModel model_;
};

}  // namespace korvel
