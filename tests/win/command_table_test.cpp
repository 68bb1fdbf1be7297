// The main window read back: menus, toolbar and pop-ups from the command table, their
// enabled states, the Tab order, the log's columns, the splitters and the layout.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/command_table_win.h"
#include "base/string_table.h"
#include "res/resource.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

struct Item {
  UINT id = 0;
  bool separator = false;
  HMENU sub = nullptr;
  std::wstring text;
  int image = -1;
};

Item ItemAt(HMENU menu, int i) {
  wchar_t text[256] = {};
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_DATA | MIIM_SUBMENU | MIIM_ID;
  mii.dwTypeData = text;
  mii.cch = 256;
  GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
  return {mii.wID, (mii.fType & MFT_SEPARATOR) != 0, mii.hSubMenu, text,
          static_cast<int>(static_cast<LONG_PTR>(mii.dwItemData))};
}

// Compares a built menu with its layout entry by entry; collects the commands it holds.
void ExpectMenuFollowsLayout(HMENU menu, const std::vector<MenuEntry>& layout,
                             std::set<int>& commands, const std::wstring& where) {
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(layout.size())) << where;
  for (size_t i = 0; i < layout.size(); ++i) {
    const MenuEntry& e = layout[i];
    Item item = ItemAt(menu, static_cast<int>(i));
    std::wstring at = where + L"/" + std::to_wstring(i);
    if (e.command == 0 && !e.caption) {
      EXPECT_TRUE(item.separator) << at;
      continue;
    }
    if (e.command == 0) {
      EXPECT_EQ(item.text, e.caption) << at;
      ASSERT_NE(item.sub, nullptr) << at;
      ExpectMenuFollowsLayout(item.sub, e.children, commands, at + L"/" + e.caption);
      continue;
    }
    const Command* c = FindCommand(e.command);
    ASSERT_NE(c, nullptr) << at;
    commands.insert(c->id);
    std::wstring shortcut = ShortcutText(*c);
    EXPECT_EQ(item.id, static_cast<UINT>(c->id)) << at;
    EXPECT_EQ(item.text, std::wstring(e.caption ? e.caption : c->caption) +
                             (shortcut.empty() ? L"" : L"\t" + shortcut))
        << at;
    EXPECT_EQ(item.image, e.showImage ? c->image : -1) << at;
  }
}

bool Grayed(HMENU menu, int id) {
  return (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0;
}

class MainWindow : public ::testing::Test, public FormFixture {
 protected:
  void SetUp() override { Create(); }
};

}  // namespace

TEST_F(MainWindow, EveryCommandStandsInItsMenusWithItsCaptionImageAndShortcut) {
  std::set<int> seen;
  ExpectMenuFollowsLayout(form->ActionMainMenuBar1, MainMenuLayout(), seen, L"main");
  ExpectMenuFollowsLayout(form->PopupMenu1, TreePopupLayout(), seen, L"tree");
  ExpectMenuFollowsLayout(form->PopupActionBarExTray, TrayPopupLayout(), seen, L"tray");
  for (const Command& c : Commands()) EXPECT_TRUE(seen.count(c.id)) << c.name;

  // Images come from the toolbar's list, which must hold every index the table uses.
  int images = ImageList_GetImageCount(form->images.ImageListToolBar);
  EXPECT_EQ(images, 21);
  for (const Command& c : Commands()) EXPECT_LT(c.image, images) << c.name;
  EXPECT_EQ(ImageList_GetImageCount(form->images.ImageListAdr), 4);
  EXPECT_EQ(ImageList_GetImageCount(form->images.ImageListLog), 2);
  EXPECT_EQ(ImageList_GetImageCount(form->images.ImageListIcon), 1);
}

TEST_F(MainWindow, ToolbarButtonsShowTheirCommandsImagesWithHintsAsTooltips) {
  const std::vector<int>& layout = ToolbarLayout();
  HWND bar = form->ActionToolBar1;
  ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), static_cast<LRESULT>(layout.size()));
  for (size_t i = 0; i < layout.size(); ++i) {
    TBBUTTON b{};
    SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
    if (layout[i] == 0) {
      EXPECT_TRUE(b.fsStyle & BTNS_SEP) << i;
      continue;
    }
    const Command* c = FindCommand(layout[i]);
    EXPECT_EQ(b.idCommand, c->id) << i;
    EXPECT_EQ(b.iBitmap, c->image) << i;
    EXPECT_GE(c->image, 0) << c->name;  // image only: a button without one would be blank
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
    info.hdr.idFrom = static_cast<UINT_PTR>(b.idCommand);
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::wstring(info.lpszText ? info.lpszText : L""), c->hint ? c->hint : L"") << i;
  }
}

TEST_F(MainWindow, AnUpdateHandlerReachesMenuAndToolbarAtOnce) {
  auto off = [&](int id) {
    return Grayed(form->ActionMainMenuBar1, id) &&
           !SendMessageW(form->ActionToolBar1, TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0);
  };
  form->SendInProgress() = 1;
  form->UpdateCommands();
  EXPECT_TRUE(off(ID_ACT_SEND));
  EXPECT_TRUE(off(ID_ACT_NEW));
  EXPECT_TRUE(off(ID_ACT_SEND_TIMER));
  EXPECT_FALSE(off(ID_ACT_OPTIONS));

  // The message loop re-evaluates every rule whenever the program is idle.
  form->SendInProgress() = 0;
  static bool seenOn = false;
  static HWND toolbar = nullptr;
  toolbar = form->ActionToolBar1;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    seenOn = SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_ACT_SEND, 0) != 0;
    PostQuitMessage(0);
  });
  form->Run();
  EXPECT_TRUE(seenOn);
  EXPECT_FALSE(off(ID_ACT_SEND));
}

TEST_F(MainWindow, EveryShortcutIsAnAcceleratorOfItsCommand) {
  HACCEL table = BuildAccelerators();
  ACCEL accels[64];
  int n = CopyAcceleratorTableW(table, accels, 64);
  DestroyAcceleratorTable(table);
  std::set<int> withShortcut;
  for (const Command& c : Commands())
    if (c.shortcutKey) withShortcut.insert(c.id);
  ASSERT_EQ(n, static_cast<int>(withShortcut.size()));
  for (int i = 0; i < n; ++i) {
    const Command* c = FindCommand(accels[i].cmd);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(accels[i].key, c->shortcutKey) << c->name;
    EXPECT_EQ(accels[i].fVirt, FVIRTKEY | c->shortcutFlags) << c->name;
  }
}

TEST_F(MainWindow, TheScannerImportFollowsTheRegistryValueReadAtStart) {
  EXPECT_TRUE(Grayed(form->PopupMenu1, ID_ACT_IMPORT_OXTERN));
  form.reset();
  {
    ScannerKey key;
    key.Set(L"C:\\Scanner");
    Create();
    EXPECT_FALSE(Grayed(form->PopupMenu1, ID_ACT_IMPORT_OXTERN));
    EXPECT_FALSE(Grayed(form->ActionMainMenuBar1, ID_ACT_IMPORT_OXTERN));
  }
  // The value read at start stays for the run.
  form->UpdateCommands();
  EXPECT_FALSE(Grayed(form->PopupMenu1, ID_ACT_IMPORT_OXTERN));
}

TEST_F(MainWindow, TabOrderColumnsAndTheImportDialog) {
  std::vector<HWND> order;
  HWND at = form->Log().lvLog;
  for (int i = 0; i < 5; ++i) {
    order.push_back(at);
    at = GetNextDlgTabItem(form->Handle(), at, FALSE);
  }
  EXPECT_EQ(order, (std::vector<HWND>{form->Log().lvLog, form->Compose().edRecipient,
                                      form->Compose().edSender, form->Compose().mMessage,
                                      form->AddressBook().TreeAddresses}));
  EXPECT_EQ(at, form->Log().lvLog);

  wchar_t text[64];
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.pszText = text;
  col.cchTextMax = 64;
  ASSERT_TRUE(ListView_GetColumn(form->Log().lvLog, 0, &col));
  EXPECT_EQ(std::wstring(text), L"Дата");
  EXPECT_EQ(col.cx, 150);
  ASSERT_TRUE(ListView_GetColumn(form->Log().lvLog, 1, &col));
  EXPECT_EQ(std::wstring(text), L"Информация");
  RECT rc;
  GetClientRect(form->Log().lvLog, &rc);
  EXPECT_EQ(col.cx, rc.right - 150);

  const OPENFILENAMEW& d = form->Imports().OpenDialogImport();
  EXPECT_EQ(std::wstring(d.lpstrTitle), L"Импортировать из файла");
  EXPECT_EQ(std::wstring(d.lpstrFilter), L"Файл\x0073 Oxtern");  // a Latin s
  EXPECT_EQ(std::wstring(d.lpstrFilter + wcslen(d.lpstrFilter) + 1), L"*.cmp");
  EXPECT_EQ(std::wstring(d.lpstrDefExt), L"cmp");
  EXPECT_EQ(d.Flags & (OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                       OFN_ENABLESIZING),
            static_cast<DWORD>(OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                               OFN_FILEMUSTEXIST | OFN_ENABLESIZING));
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
  EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_THICKFRAME);
}

TEST_F(MainWindow, SplittersMoveTheirBoundaryAndResizingKeepsRegionsAligned) {
  HWND h = form->Handle();
  auto rectOf = [&](HWND c) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  auto drag = [&](int id, POINT from, POINT to) {
    HWND s = GetDlgItem(h, id);
    SendMessageW(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    SendMessageW(s, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageW(s, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  };
  EXPECT_EQ(rectOf(form->AddressBook().TreeAddresses).right, 161);
  drag(IDC_SPLITTER2, {1, 10}, {41, 10});
  EXPECT_EQ(form->TreeWidth(), 201);
  EXPECT_EQ(rectOf(form->Log().lvLog).bottom - rectOf(form->Log().lvLog).top, 93);
  drag(IDC_SPLITTER1, {10, 1}, {10, -19});
  EXPECT_EQ(form->LogHeight(), 113);
  drag(IDC_SPLITTER2, {1, 10}, {-5000, 10});
  EXPECT_EQ(form->TreeWidth(), 30);

  for (SIZE size : {SIZE{700, 600}, SIZE{320, 320}, SIZE{1000, 700}}) {
    SetWindowPos(h, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    RECT client;
    GetClientRect(h, &client);
    RECT tree = rectOf(form->AddressBook().TreeAddresses), log = rectOf(form->Log().lvLog);
    RECT split2 = rectOf(GetDlgItem(h, IDC_SPLITTER2)), status = rectOf(form->StatusBar1);
    RECT memo = rectOf(form->Compose().mMessage), toolbar = rectOf(form->ActionToolBar1);
    EXPECT_EQ(toolbar.bottom, 26);
    EXPECT_EQ(tree.top, 26);
    EXPECT_EQ(split2.left, tree.right);
    EXPECT_EQ(log.left, 0);
    EXPECT_EQ(log.right, client.right);
    EXPECT_EQ(log.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(tree.bottom + 3, log.top);
    EXPECT_GT(memo.left, tree.right);
    EXPECT_LE(memo.right, client.right);
    EXPECT_LT(memo.bottom, log.top);
  }
}

TEST_F(MainWindow, TabLeavesTheMessageBoxForTheTree) {
  ShowWindow(form->Handle(), SW_SHOW);
  SetFocus(form->Compose().mMessage);
  ASSERT_EQ(GetFocus(), form->Compose().mMessage);
  // Through the program's own message loop, where the dialog keys are handled.
  PostMessageW(form->Compose().mMessage, WM_KEYDOWN, VK_TAB, 0);
  PostMessageW(form->Compose().mMessage, WM_KEYUP, VK_TAB, 0);
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(0);
  });
  form->Run();
  EXPECT_EQ(GetFocus(), form->AddressBook().TreeAddresses);
  EXPECT_EQ(GetWindowTextLengthW(form->Compose().mMessage), 0);
}
