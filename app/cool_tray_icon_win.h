// TCoolTrayIcon: the program's icon in the notification area. It keeps the icon
// there for its whole life, hides the main window to the tray when it is minimised,
// brings it back on a click and opens the tray menu on the right button.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace korvel {

// The message the shell posts to the handler window: wParam is the icon's uID,
// lParam the mouse message (the classic notification form, version 0).
constexpr UINT TrayCallbackMessage = WM_USER + 1024;

// NIF_MESSAGE | NIF_ICON | NIF_TIP.
constexpr UINT kTrayIconFlags = 7;

// The size of the whole record on this 64-bit build (488 is the 32-bit size of its
// older layout that ends at dwInfoFlags).
constexpr DWORD kNotifyRecordSize = 528;
static_assert(sizeof(NOTIFYICONDATAA) == kNotifyRecordSize,
              "NOTIFYICONDATAA must have its 64-bit layout");

// Every shell call of the tray icon goes through here; results are never looked at.
struct TrayShell {
  virtual ~TrayShell() = default;
  virtual BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data) = 0;
  // Shows `menu` at (x, y) for `owner` and returns when the menu closes.
  virtual BOOL TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) = 0;
};

// The system's shell. The record's tip holds Windows-1251 bytes; they are decoded as
// such and handed to the shell as a wide record, so the tip reads right whatever the
// system's ANSI code page is.
TrayShell& SystemTrayShell();

// The wide record the system shell is given for `record`.
NOTIFYICONDATAW WideNotifyRecord(const NOTIFYICONDATAA& record);

// "TaskbarCreated", registered on first use when the common controls are 4.71 or
// later; 0 otherwise.
UINT TaskbarCreatedMessage();

class TCoolTrayIcon {
 public:
  // Shows the main window again after it was hidden to the tray. The owner's show path
  // applies its stored window state, except that with `neverMinimized` a stored
  // "minimised" must be shown normal: minimising would send the window straight back
  // into the tray. (The component also restores the window if it ends up minimised.)
  using ShowMainWindowFn = std::function<void(bool neverMinimized)>;

  // `mainWindow` must exist; it is subclassed until destruction (or until it is
  // destroyed, whichever comes first). Without `showMainWindow` the window is shown
  // normal.
  explicit TCoolTrayIcon(HWND mainWindow, ShowMainWindowFn showMainWindow = nullptr,
                         TrayShell& shell = SystemTrayShell());
  ~TCoolTrayIcon();
  TCoolTrayIcon(const TCoolTrayIcon&) = delete;
  TCoolTrayIcon& operator=(const TCoolTrayIcon&) = delete;

  // Properties. Each setter that changes what the shell shows refreshes the icon.
  HICON Icon() const { return icon_; }
  void SetIcon(HICON icon);  // copies `icon`; the caller keeps its own
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);  // Windows-1251
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool visible);
  HIMAGELIST IconList() const { return iconList_; }
  void SetIconList(HIMAGELIST list);  // not owned; then IconIndex 0
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  bool MinimizeToTray() const { return minimizeToTray_; }
  void SetMinimizeToTray(bool on) { minimizeToTray_ = on; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  // The tray menu: a pop-up menu (CreatePopupMenu) the owner keeps, or a function
  // that returns one each time the menu opens. Its commands go to the main window.
  void SetPopupMenu(HMENU menu);
  void SetPopupMenu(std::function<HMENU()> menu) { popupMenu_ = std::move(menu); }
  void SetOnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }

  // Run once every property has been set: refreshes, re-applies IconVisible and puts
  // the shell in the classic notification form.
  void Loaded();

  void AddTrayIcon();
  void RemoveTrayIcon();
  void RefreshTrayIcon();

  void RestoreMainWindow();
  void HideMainWindow();
  void ShowTrayMenu();

  UINT Id() const { return record_.uID; }
  const NOTIFYICONDATAA& NotifyRecord() const { return record_; }

 private:
  friend class TTrayIconHandler;

  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR self);
  void HandleNotification(LPARAM mouseMessage);
  void AppWindowHook(UINT msg, WPARAM wp, LPARAM lp);
  void OwnerWindowProc(UINT msg, WPARAM wp, LPARAM lp);
  void ShowMainWindow();
  void Notify(DWORD message);
  void ReplaceIcon(HICON owned);
  void Unsubclass();

  NOTIFYICONDATAA record_{};
  TrayShell& shell_;
  HWND mainWindow_ = nullptr;
  bool subclassed_ = false;
  UINT taskbarCreated_ = 0;
  ShowMainWindowFn showMainWindow_;
  HICON icon_ = nullptr;
  std::string hint_;
  bool showHint_ = true;
  bool iconVisible_ = false;
  HIMAGELIST iconList_ = nullptr;
  int iconIndex_ = 0;
  bool minimizeToTray_ = true;
  bool enabled_ = true;
  std::function<HMENU()> popupMenu_;
  std::function<void()> onClick_;
  bool leftDownOnIcon_ = false;
  bool menuShowing_ = false;
  bool restoring_ = false;
};

}  // namespace korvel
