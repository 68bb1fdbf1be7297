// The tray icon against a recording shell and real windows: what the shell is told,
// what the icon's notifications do, and how the main window goes to the tray and back.
#include "app/cool_tray_icon_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

#include "app/main_form_win.h"
#include "base/message_box_win.h"
#include "res/resource.h"

namespace korvel {
namespace {

struct RecordingShell : TrayShell {
  BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data) override {
    messages.push_back(message);
    records.push_back(*data);
    return TRUE;
  }
  BOOL TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override {
    menuOwners.push_back(owner);
    return SystemTrayShell().TrackMenu(menu, flags, x, y, owner);
  }
  int Count(DWORD message) const { return static_cast<int>(std::ranges::count(messages, message)); }
  void Clear() {
    messages.clear();
    records.clear();
  }

  std::vector<DWORD> messages;
  std::vector<NOTIFYICONDATAA> records;
  std::vector<HWND> menuOwners;
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Mouse(const TCoolTrayIcon& icon, std::initializer_list<UINT> messages) {
  for (UINT m : messages) SendMessageW(icon.NotifyRecord().hWnd, TrayCallbackMessage, icon.Id(), m);
  Pump();
}

HICON ProgramIcon() {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KORVEL),
                                       IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

// What reaches the main window's own procedure.
int gNulls = 0;
std::vector<WPARAM> gCommands;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NULL) ++gNulls;
  if (msg == WM_COMMAND) gCommands.push_back(wp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

class TrayIcon : public ::testing::Test {
 protected:
  void SetUp() override {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &MainWindowProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"KorvelTrayTest";
      return RegisterClassExW(&wc);
    }();
    ASSERT_TRUE(atom);
    gNulls = 0;
    gCommands.clear();
    SetMessageSinkForTests([this](const std::string& text) { shownMessages.push_back(text); });
    window = CreateWindowExW(0, L"KorvelTrayTest", L"", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    ShowWindow(window, SW_SHOWNORMAL);
    Pump();
  }
  void TearDown() override {
    icon.reset();
    DestroyWindow(window);
    Pump();
    SetMessageSinkForTests(nullptr);
    EXPECT_EQ(shownMessages, std::vector<std::string>{});
  }
  TCoolTrayIcon& Attach(TCoolTrayIcon::ShowMainWindowFn show = nullptr) {
    icon = std::make_unique<TCoolTrayIcon>(window, std::move(show), shell);
    return *icon;
  }

  HWND window = nullptr;
  RecordingShell shell;
  std::unique_ptr<TCoolTrayIcon> icon;
  std::vector<std::string> shownMessages;
};

TEST_F(TrayIcon, ShellGetsOneRecordFromAddToDelete) {
  TCoolTrayIcon& tray = Attach();
  HICON programIcon = ProgramIcon();
  tray.SetIcon(programIcon);
  DestroyIcon(programIcon);  // the tray keeps its own copy
  tray.SetHint("Korvel");
  tray.SetIconVisible(true);
  tray.Loaded();
  const UINT id = tray.Id();
  HWND handler = tray.NotifyRecord().hWnd;
  icon.reset();

  EXPECT_EQ(shell.messages, (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY, NIM_ADD, NIM_MODIFY,
                                                NIM_ADD, NIM_SETVERSION, NIM_DELETE}));
  const NOTIFYICONDATAA zero{};
  for (size_t i = 0; i < shell.records.size(); ++i) {
    SCOPED_TRACE(i);
    const NOTIFYICONDATAA& r = shell.records[i];
    EXPECT_EQ(r.cbSize, 528u);
    EXPECT_EQ(r.uFlags, 7u);
    EXPECT_EQ(r.uCallbackMessage, 2048u);
    EXPECT_EQ(r.uID, id);
    EXPECT_EQ(r.hWnd, handler);
    EXPECT_NE(r.hIcon, nullptr);
    if (i > 0) {  // from SetHint on
      EXPECT_EQ(std::memcmp(r.szTip, "Korvel\0", 7), 0);
    }
    EXPECT_EQ(r.uVersion, 0u);
    EXPECT_EQ(std::memcmp(r.szInfo, zero.szInfo, sizeof r.szInfo), 0);
    EXPECT_EQ(r.hBalloonIcon, nullptr);
  }
  EXPECT_NE(handler, window);
  EXPECT_FALSE(IsWindow(handler)) << "the last icon takes the shared window with it";
}

TEST_F(TrayIcon, TipAndIconIndexFollowTheirRules) {
  TCoolTrayIcon& tray = Attach();
  std::string longHint;
  for (int i = 0; i < 200; ++i) longHint += static_cast<char>(i % 2 ? '\xEA' : 'a' + i % 26);
  tray.SetHint(longHint);
  EXPECT_EQ(std::string(shell.records.back().szTip, 128), longHint.substr(0, 127) + '\0');
  const char zeros[128] = {};
  tray.SetHint("");
  EXPECT_EQ(std::memcmp(shell.records.back().szTip, zeros, 128), 0);
  tray.SetHint("Korvel");
  tray.SetShowHint(false);
  EXPECT_EQ(std::memcmp(shell.records.back().szTip, zeros, 128), 0);

  tray.SetIconIndex(3);
  EXPECT_EQ(tray.IconIndex(), 0) << "no list";
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  HICON programIcon = ProgramIcon();
  ImageList_AddIcon(list, programIcon);
  DestroyIcon(programIcon);
  tray.SetIconList(list);
  shell.Clear();
  tray.SetIconIndex(5);
  EXPECT_EQ(tray.IconIndex(), 0);
  ASSERT_EQ(shell.messages, std::vector<DWORD>{NIM_MODIFY});
  EXPECT_NE(shell.records[0].hIcon, nullptr);
  icon.reset();
  ImageList_Destroy(list);
}

TEST_F(TrayIcon, SystemShellReadsTheTipAs1251) {
  NOTIFYICONDATAA a{};
  a.cbSize = sizeof a;
  a.hWnd = window;
  a.uID = 77;
  a.uFlags = 7;
  a.uCallbackMessage = TrayCallbackMessage;
  a.hIcon = ProgramIcon();
  std::strcpy(a.szTip, "\xCA\xEE\xF0\xE2\xE5\xEB");
  NOTIFYICONDATAW w = WideNotifyRecord(a);
  EXPECT_EQ(w.cbSize, sizeof w);
  EXPECT_EQ(std::wstring(w.szTip), L"Корвел");
  EXPECT_EQ(std::make_tuple(w.hWnd, w.uID, w.uFlags, w.uCallbackMessage, w.hIcon),
            std::make_tuple(a.hWnd, a.uID, a.uFlags, a.uCallbackMessage, a.hIcon));
  std::memset(a.szTip, '\xE0', 127);
  EXPECT_EQ(std::wstring(WideNotifyRecord(a).szTip), std::wstring(127, L'а'));

  EXPECT_TRUE(SystemTrayShell().NotifyIcon(NIM_ADD, &a)) << "the shell takes the record";
  EXPECT_TRUE(SystemTrayShell().NotifyIcon(NIM_DELETE, &a));
  DestroyIcon(a.hIcon);
}

TEST_F(TrayIcon, PressAndReleaseIsOneClickAndSoIsADoubleClick) {
  TCoolTrayIcon& tray = Attach();
  int clicks = 0;
  tray.SetOnClick([&] { ++clicks; });
  Mouse(tray, {WM_LBUTTONDOWN});
  EXPECT_EQ(clicks, 0) << "the click comes at button-up";
  Mouse(tray, {WM_LBUTTONUP});
  EXPECT_EQ(clicks, 1);
  Mouse(tray, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
  EXPECT_EQ(clicks, 2);
  Mouse(tray, {WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONUP});
  EXPECT_EQ(clicks, 2) << "a release without a press on the icon";
  tray.SetEnabled(false);
  Mouse(tray, {WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_EQ(clicks, 2);
}

TEST_F(TrayIcon, RightButtonDownOpensTheMenuForTheMainWindow) {
  TCoolTrayIcon& tray = Attach();
  Mouse(tray, {WM_RBUTTONDOWN});
  EXPECT_TRUE(shell.menuOwners.empty()) << "no menu set";

  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 40001, L"Первый");
  AppendMenuW(menu, MF_STRING, 40002, L"Второй");
  tray.SetPopupMenu(menu);
  // While the menu runs its own loop, a timer looks for it and picks its first item.
  static bool menuSeen;
  static int ticks;
  menuSeen = false;
  ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (popup && IsWindowVisible(popup) && !menuSeen) {
      menuSeen = true;
      PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    } else if (++ticks > 60) {
      EndMenu();
    }
  });
  Mouse(tray, {WM_RBUTTONDOWN});  // returns once the menu has closed
  KillTimer(nullptr, timer);

  EXPECT_TRUE(menuSeen) << "the menu is open before the button comes up";
  EXPECT_EQ(shell.menuOwners, std::vector<HWND>{window});
  EXPECT_EQ(gCommands, std::vector<WPARAM>{40001}) << "the command reaches the main window";
  EXPECT_GE(gNulls, 1);
  icon.reset();
  DestroyMenu(menu);
}

TEST_F(TrayIcon, NotificationForADestroyedIconIsDropped) {
  TCoolTrayIcon& survivor = Attach();
  int survivorClicks = 0, goneClicks = 0, laterClicks = 0;
  survivor.SetOnClick([&] { ++survivorClicks; });
  HWND handler = survivor.NotifyRecord().hWnd;
  // The later icon takes the very storage of the destroyed one.
  std::optional<TCoolTrayIcon> slot;
  RecordingShell otherShell;
  slot.emplace(window, nullptr, otherShell);
  EXPECT_EQ(slot->NotifyRecord().hWnd, handler) << "one window serves every icon";
  slot->SetOnClick([&] { ++goneClicks; });
  const UINT goneId = slot->Id();
  PostMessageW(handler, TrayCallbackMessage, goneId, WM_LBUTTONDOWN);
  PostMessageW(handler, TrayCallbackMessage, goneId, WM_LBUTTONUP);
  slot.reset();
  slot.emplace(window, nullptr, otherShell);
  slot->SetOnClick([&] { ++laterClicks; });
  EXPECT_NE(slot->Id(), goneId) << "an identifier is never given out twice";

  Mouse(survivor, {WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_EQ(goneClicks + laterClicks, 0);
  EXPECT_EQ(survivorClicks, 1);
  SendMessageW(handler, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(handler)) << "only its last user closes it";
}

TEST_F(TrayIcon, MinimiseGoesToTheTrayAndAClickBringsTheWindowBack) {
  int shows = 0;
  TCoolTrayIcon& tray = Attach([&](bool neverMinimized) {
    ++shows;
    EXPECT_TRUE(neverMinimized);
    ShowWindow(window, SW_SHOWNORMAL);
  });
  tray.SetOnClick([&] { tray.RestoreMainWindow(); });
  tray.SetIconVisible(true);
  shell.Clear();

  ShowWindow(window, SW_MINIMIZE);
  Pump();
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(shell.Count(NIM_DELETE), 0) << "the icon stays";
  Mouse(tray, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsIconic(window));
  EXPECT_EQ(shows, 1) << "a double click restores once";
  Mouse(tray, {WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_EQ(shows, 1) << "already shown: only brought forward";

  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(window));
  SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_TRUE(IsWindowVisible(window) && !IsIconic(window));

  shell.Clear();
  SendMessageW(window, TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(shell.messages, std::vector<DWORD>{NIM_ADD}) << "a new taskbar gets the icon back";
  tray.SetIconVisible(false);
  shell.Clear();
  SendMessageW(window, TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(TrayIcon, EitherTheWindowOrTheIconMayGoFirst) {
  Attach().SetIconVisible(true);
  icon.reset();
  ShowWindow(window, SW_MINIMIZE);
  Pump();
  EXPECT_TRUE(IsWindowVisible(window)) << "no hook left on the window";

  TCoolTrayIcon& tray = Attach();
  DestroyWindow(window);
  tray.RestoreMainWindow();
  shell.Clear();
  icon.reset();
  EXPECT_EQ(shell.messages, std::vector<DWORD>{NIM_DELETE});
}

// The main window's own icon is added whole: with its picture and its tip.
TEST(TrayIconMainForm, TheWindowAddsItsIconWithThePicture) {
  SetMessageSinkForTests([](const std::string&) {});
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const auto dir =
      std::filesystem::path(temp) / ("korvel-tray-add-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  RecordingShell shell;
  {
    FormServices services;
    services.trayShell = &shell;
    TKorvelForm form((dir / "Korvel.exe").string(), services);
    form.SetQuitOnDestroy(false);
    ASSERT_TRUE(form.Create());
    ASSERT_GE(shell.Count(NIM_ADD), 1);
    for (size_t i = 0; i < shell.messages.size(); ++i) {
      if (shell.messages[i] != NIM_ADD) continue;
      EXPECT_NE(shell.records[i].hIcon, nullptr) << i;
      EXPECT_STREQ(shell.records[i].szTip, "Korvel") << i;
    }
  }
  SetMessageSinkForTests(nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

// The main window, with "minimised" stored in its settings: the restore must not
// minimise it straight back into the tray.
TEST(TrayIconMainForm, StoredMinimisedStateNeverKeepsTheWindowInTheTray) {
  std::vector<std::string> shownMessages;
  SetMessageSinkForTests([&](const std::string& text) { shownMessages.push_back(text); });
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const auto dir =
      std::filesystem::path(temp) / ("korvel-tray-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "Korvel.ini", std::ios::binary) << "[Window State]\r\nWindowState=1\r\n";
  {
    TKorvelForm form((dir / "Korvel.exe").string());
    form.SetQuitOnDestroy(false);
    ASSERT_TRUE(form.Create());
    HWND main = form.Handle();
    RecordingShell shell;
    int shows = 0;
    // An owner whose show path applies the stored state whatever it is told.
    auto showForm = [&](bool) {
      ++shows;
      form.ShowForm();
    };
    TCoolTrayIcon tray(main, showForm, shell);
    tray.SetIconVisible(true);
    tray.SetOnClick([&] { tray.RestoreMainWindow(); });

    form.ShowForm();
    Pump();
    EXPECT_FALSE(IsWindowVisible(main)) << "starts in the tray";
    Mouse(tray, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    EXPECT_TRUE(IsWindowVisible(main) && !IsIconic(main));

    // Hidden while not minimised, the owner's show minimises it on the way back.
    tray.HideMainWindow();
    shell.Clear();
    Mouse(tray, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    EXPECT_TRUE(IsWindowVisible(main) && !IsIconic(main));
    EXPECT_EQ(shell.Count(NIM_ADD), 0) << "the way back does not pass through the tray";
    EXPECT_EQ(shows, 2);
  }
  SetMessageSinkForTests(nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  EXPECT_EQ(shownMessages, std::vector<std::string>{});
}

}  // namespace
}  // namespace korvel
