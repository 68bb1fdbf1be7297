// The tray icon: its record for the shell, the shared window that receives the shell's
// notifications, and the subclass of the main window that follows minimise and restore.
#include "app/cool_tray_icon_win.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "base/text_win.h"
#include "base/window_win.h"

namespace korvel {

namespace {

class SystemShell final : public TrayShell {
 public:
  BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data) override {
    NOTIFYICONDATAW wide = WideNotifyRecord(*data);
    return Shell_NotifyIconW(message, &wide);
  }
  BOOL TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override {
    return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
  }
};

template <size_t N, size_t M>
void CopyText(wchar_t (&to)[N], const char (&from)[M]) {
  std::wstring text = Widen(std::string_view(from, strnlen(from, M)));
  size_t n = std::min(text.size(), N - 1);
  std::copy_n(text.data(), n, to);
  to[n] = L'\0';
}

DWORD CommonControlsVersion() {
  HMODULE module = GetModuleHandleW(L"comctl32.dll");
  if (!module) module = LoadLibraryW(L"comctl32.dll");
  if (!module) return 0;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (!getVersion || FAILED(getVersion(&info))) return 0;
  return MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
}

// Identifiers are never reused, so a notification still queued for a destroyed icon
// can never reach a newer one.
UINT NextIconId() {
  static UINT last = 0;
  if (++last == 0) ++last;
  return last;
}

// Messages the handler window answers itself so that it never objects to a log-off
// and is not destroyed by anyone but its last user.
bool AnsweredByHandler(UINT msg) {
  switch (msg) {
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      return true;
  }
  return false;
}

// Runs the thread's pending messages. A handler that keeps posting to itself must
// not hold the menu back for ever, hence the bound.
void ProcessPendingMessages() {
  MSG msg;
  for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

// One hidden message window serves every tray icon of the process; it lives while at
// least one icon does.
class TTrayIconHandler {
 public:
  static HWND Acquire() {
    State& s = Get();
    if (s.refs++ == 0) s.hwnd = CreateHandlerWindow();
    return s.hwnd;
  }
  static void Release() {
    State& s = Get();
    if (s.refs > 0 && --s.refs == 0) s.DestroyWindowIfAny();
  }
  static void Register(TCoolTrayIcon* icon) { Get().live[icon->Id()] = icon; }
  static void Unregister(UINT id) { Get().live.erase(id); }
  static TCoolTrayIcon* Find(UINT id) {
    auto& live = Get().live;
    auto it = live.find(id);
    return it == live.end() ? nullptr : it->second;
  }

 private:
  struct State {
    int refs = 0;
    HWND hwnd = nullptr;
    std::map<UINT, TCoolTrayIcon*> live;
    void DestroyWindowIfAny() {
      if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
      hwnd = nullptr;
    }
    // The program's end takes the window with it if an icon was never released.
    ~State() { DestroyWindowIfAny(); }
  };
  static State& Get() {
    static State state;
    return state;
  }

  static HWND CreateHandlerWindow() {
    static const wchar_t* const kClass = L"TTrayIconHandler";
    static ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &WndProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = kClass;
      return RegisterClassExW(&wc);
    }();
    if (!atom) return nullptr;
    return CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TrayCallbackMessage) {
      Guarded(
          [&] {
            if (TCoolTrayIcon* icon = Find(static_cast<UINT>(wp))) icon->HandleNotification(lp);
          },
          L"Обработка щелчка по значку программы");
      return 0;
    }
    if (AnsweredByHandler(msg)) return 1;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
};

namespace {

// Runs `fn` when the scope ends, unless the icon was destroyed meanwhile: a click
// handler, a show callback or a nested message loop may destroy it.
template <typename Fn>
class WhenScopeEnds {
 public:
  WhenScopeEnds(TCoolTrayIcon* icon, Fn fn) : icon_(icon), id_(icon->Id()), fn_(std::move(fn)) {}
  ~WhenScopeEnds() {
    if (Alive()) fn_();
  }
  WhenScopeEnds(const WhenScopeEnds&) = delete;
  WhenScopeEnds& operator=(const WhenScopeEnds&) = delete;
  bool Alive() const { return TTrayIconHandler::Find(id_) == icon_; }

 private:
  TCoolTrayIcon* icon_;
  UINT id_;
  Fn fn_;
};

}  // namespace

TrayShell& SystemTrayShell() {
  static SystemShell shell;
  return shell;
}

NOTIFYICONDATAW WideNotifyRecord(const NOTIFYICONDATAA& a) {
  NOTIFYICONDATAW w{};
  w.cbSize = sizeof w;
  w.hWnd = a.hWnd;
  w.uID = a.uID;
  w.uFlags = a.uFlags;
  w.uCallbackMessage = a.uCallbackMessage;
  w.hIcon = a.hIcon;
  CopyText(w.szTip, a.szTip);
  w.dwState = a.dwState;
  w.dwStateMask = a.dwStateMask;
  CopyText(w.szInfo, a.szInfo);
  w.uVersion = a.uVersion;
  CopyText(w.szInfoTitle, a.szInfoTitle);
  w.dwInfoFlags = a.dwInfoFlags;
  w.guidItem = a.guidItem;
  w.hBalloonIcon = a.hBalloonIcon;
  return w;
}

UINT TaskbarCreatedMessage() {
  static const UINT message =
      CommonControlsVersion() >= 0x40047 ? RegisterWindowMessageA("TaskbarCreated") : 0;
  return message;
}

TCoolTrayIcon::TCoolTrayIcon(HWND mainWindow, ShowMainWindowFn showMainWindow, TrayShell& shell)
    : shell_(shell), mainWindow_(mainWindow), showMainWindow_(std::move(showMainWindow)) {
  record_.cbSize = sizeof record_;
  record_.uID = NextIconId();
  record_.uFlags = kTrayIconFlags;
  record_.uCallbackMessage = TrayCallbackMessage;
  TTrayIconHandler::Register(this);
  record_.hWnd = TTrayIconHandler::Acquire();
  taskbarCreated_ = TaskbarCreatedMessage();
  if (mainWindow_)
    subclassed_ = SetWindowSubclass(mainWindow_, &SubclassProc, record_.uID,
                                    reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

TCoolTrayIcon::~TCoolTrayIcon() {
  // Each step runs even when the one before it failed.
  try {
    RemoveTrayIcon();
  } catch (...) {
  }
  ReplaceIcon(nullptr);
  Unsubclass();
  TTrayIconHandler::Unregister(record_.uID);
  TTrayIconHandler::Release();
}

void TCoolTrayIcon::Notify(DWORD message) {
  record_.hIcon = icon_;
  std::memset(record_.szTip, 0, sizeof record_.szTip);
  if (showHint_ && !hint_.empty())
    std::memcpy(record_.szTip, hint_.data(), std::min(hint_.size(), sizeof record_.szTip - 1));
  shell_.NotifyIcon(message, &record_);
}

void TCoolTrayIcon::AddTrayIcon() {
  iconVisible_ = true;
  Notify(NIM_ADD);
}

void TCoolTrayIcon::RemoveTrayIcon() {
  iconVisible_ = false;
  Notify(NIM_DELETE);
}

void TCoolTrayIcon::RefreshTrayIcon() { Notify(NIM_MODIFY); }

void TCoolTrayIcon::Loaded() {
  RefreshTrayIcon();
  SetIconVisible(iconVisible_);
  record_.uVersion = 0;
  Notify(NIM_SETVERSION);
}

void TCoolTrayIcon::ReplaceIcon(HICON owned) {
  if (icon_) DestroyIcon(icon_);
  icon_ = owned;
}

void TCoolTrayIcon::SetIcon(HICON icon) {
  ReplaceIcon(icon ? CopyIcon(icon) : nullptr);
  RefreshTrayIcon();
}

void TCoolTrayIcon::SetHint(std::string hint) {
  hint_ = std::move(hint);
  RefreshTrayIcon();
}

void TCoolTrayIcon::SetShowHint(bool show) {
  showHint_ = show;
  RefreshTrayIcon();
}

void TCoolTrayIcon::SetIconVisible(bool visible) {
  if (visible)
    AddTrayIcon();
  else
    RemoveTrayIcon();
}

void TCoolTrayIcon::SetIconList(HIMAGELIST list) {
  iconList_ = list;
  SetIconIndex(0);
}

void TCoolTrayIcon::SetIconIndex(int index) {
  if (!iconList_) {
    iconIndex_ = 0;
    RefreshTrayIcon();
    return;
  }
  const int count = ImageList_GetImageCount(iconList_);
  const int last = count > 0 ? count - 1 : 0;
  iconIndex_ = index < 0 ? 0 : index > last ? last : index;
  if (count > 0) {
    if (HICON image = ImageList_GetIcon(iconList_, iconIndex_, ILD_NORMAL)) ReplaceIcon(image);
  }
  RefreshTrayIcon();
}

void TCoolTrayIcon::SetPopupMenu(HMENU menu) {
  if (menu)
    popupMenu_ = [menu] { return menu; };
  else
    popupMenu_ = nullptr;
}

void TCoolTrayIcon::HandleNotification(LPARAM mouseMessage) {
  if (!enabled_) return;
  switch (LOWORD(mouseMessage)) {
    case WM_LBUTTONDOWN:
      leftDownOnIcon_ = true;
      break;
    case WM_LBUTTONUP: {
      const bool click = leftDownOnIcon_;
      leftDownOnIcon_ = false;
      if (click && onClick_) {
        auto onClick = onClick_;  // the handler may destroy this icon
        onClick();
      }
      break;
    }
    case WM_RBUTTONDOWN:
      ShowTrayMenu();
      break;
  }
}

void TCoolTrayIcon::ShowTrayMenu() {
  if (menuShowing_ || !popupMenu_) return;
  auto source = popupMenu_;
  HMENU menu = source();
  POINT at{};
  if (!menu || !GetCursorPos(&at)) return;

  HWND owner = mainWindow_ ? mainWindow_ : record_.hWnd;
  menuShowing_ = true;
  WhenScopeEnds done(this, [this] { menuShowing_ = false; });

  // Without being in the foreground the menu would not close on a click elsewhere.
  SetForegroundWindow(owner);
  ProcessPendingMessages();
  if (!done.Alive() || !IsWindow(owner)) return;
  shell_.TrackMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, owner);
  // Lets the menu close properly when the user clicks outside it next time.
  PostMessageW(owner, WM_NULL, 0, 0);
}

void TCoolTrayIcon::ShowMainWindow() {
  const bool wasRestoring = restoring_;
  restoring_ = true;
  WhenScopeEnds done(this, [this, wasRestoring] { restoring_ = wasRestoring; });
  if (showMainWindow_) {
    auto show = showMainWindow_;
    show(true);
  } else {
    ShowWindow(mainWindow_, SW_SHOWNORMAL);
  }
}

void TCoolTrayIcon::RestoreMainWindow() {
  HWND main = mainWindow_;
  if (!main || !IsWindow(main)) return;
  if (!IsWindowVisible(main)) {
    WhenScopeEnds alive(this, [] {});
    ShowMainWindow();
    if (!alive.Alive() || !IsWindow(main)) return;
  }
  // A stored "minimised" state must not send the window back into the tray.
  if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
  SetForegroundWindow(main);
}

void TCoolTrayIcon::HideMainWindow() {
  if (mainWindow_) ShowWindow(mainWindow_, SW_HIDE);
}

// The main window is also the window the program is minimised and restored with, so
// both the application-window hook and the owner-window procedure run here. Neither
// ever consumes a message.
LRESULT CALLBACK TCoolTrayIcon::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                             DWORD_PTR ref) {
  auto* self = reinterpret_cast<TCoolTrayIcon*>(ref);
  if (msg == WM_NCDESTROY) {
    self->Unsubclass();
    self->mainWindow_ = nullptr;
  } else {
    Guarded([&] {
      self->AppWindowHook(msg, wp, lp);
      self->OwnerWindowProc(msg, wp, lp);
    });
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void TCoolTrayIcon::AppWindowHook(UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_SIZE) {
    if (wp == SIZE_MINIMIZED && minimizeToTray_ && !restoring_) {
      HideMainWindow();
      SetIconVisible(true);
    }
  } else if (msg == WM_SYSCOMMAND) {
    if ((wp & 0xFFF0) == SC_RESTORE && !IsWindowVisible(mainWindow_)) ShowMainWindow();
  } else if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    if (iconVisible_) AddTrayIcon();
  }
}

void TCoolTrayIcon::OwnerWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SHOWWINDOW && wp == TRUE && lp == 0) SetForegroundWindow(mainWindow_);
}

void TCoolTrayIcon::Unsubclass() {
  if (!subclassed_) return;
  RemoveWindowSubclass(mainWindow_, &SubclassProc, record_.uID);
  subclassed_ = false;
}

}  // namespace korvel
