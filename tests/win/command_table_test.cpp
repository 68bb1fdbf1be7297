// The main window read back: menus, toolbar and pop-ups from the command table, their
// enabled states, the Tab order, the log's columns, the splitters and the layout.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <sstream>

#include "app/command_table_win.h"
#include "app/defaults.h"
#include "res/resource.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

// One line per entry: indent, caption (with "\t" shortcut), image index, "off" when
// disabled; "-" for a separator.
void Dump(HMENU menu, int depth, std::wostringstream& out) {
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_DATA | MIIM_STATE | MIIM_SUBMENU | MIIM_ID;
    mii.dwTypeData = text;
    mii.cch = 256;
    GetMenuItemInfoW(menu, i, TRUE, &mii);
    out << std::wstring(depth * 2, L' ');
    if (mii.fType & MFT_SEPARATOR) {
      out << L"-\n";
      continue;
    }
    out << text;
    if (!mii.hSubMenu)
      out << L" [" << static_cast<int>(static_cast<LONG_PTR>(mii.dwItemData)) << L"]";
    if (mii.fState & MFS_GRAYED) out << L" off";
    out << L"\n";
    if (mii.hSubMenu) Dump(mii.hSubMenu, depth + 1, out);
  }
}

std::wstring Dump(HMENU menu) {
  std::wostringstream out;
  Dump(menu, 0, out);
  return out.str();
}

class MainWindow : public ::testing::Test, public FormFixture {
 protected:
  void SetUp() override { Create(); }
};

}  // namespace

TEST_F(MainWindow, MainMenuFollowsTheCommandTable) {
  gApp.ScannerFolder.clear();
  form->UpdateCommands();
  EXPECT_EQ(Dump(form->ActionMainMenuBar1),
            L"&Сообщение\n"
            L"  Новое [0]\n"
            L"  Отправить сообщение [1]\n"
            L"  Отправить многократно [19]\n"
            L"  Импортировать\n"
            L"    из &Oxtern [18] off\n"
            L"    компьютер из сети [17]\n"
            L"    группу компьютеров из сети [15]\n"
            L"    пользователей с сервера [16]\n"
            L"  -\n"
            L"  Настройки\tCtrl+O [4]\n"
            L"  -\n"
            L"  Выход [-1]\n"
            L"Дополнительно\n"
            L"  Запустить службу сообщений [-1]\n"
            L"  Остановить службу сообщений [-1]\n"
            L"  -\n"
            L"  Очистить историю [-1]\n"
            L"  Сортировать адреса [-1]\n"
            L"&Помощь\n"
            L"  Руководство пользователя\tF1 [7]\n"
            L"  &FAQ [-1]\n"
            L"  Что нового? [-1]\n"
            L"  Открыть &Web страницу Korvel [5]\n"
            L"  Написать письмо автору [6]\n"
            L"  -\n"
            L"  О программе... [3]\n");
}

TEST_F(MainWindow, PopupsFollowTheCommandTable) {
  gApp.ScannerFolder = "C:\\Scanner";
  form->UpdateCommands();
  // With no node selected there is nothing to add to or delete.
  EXPECT_EQ(Dump(form->PopupMenu1),
            L"Добавить адрес [11] off\n"
            L"Создать группу адресов [9]\n"
            L"Удалить [10] off\n"
            L"-\n"
            L"Импортировать адреса\n"
            L"  из Oxtern [18]\n"
            L"  компьютер из сети [17]\n"
            L"  группу компьютеров из сети [15]\n"
            L"-\n"
            L"Сортировать адреса [-1]\n");
  // Stopping the service stands above starting it here, the other way round in the menu bar.
  EXPECT_EQ(Dump(form->PopupActionBarExTray),
            L"Остановить службу сообщений [-1]\n"
            L"Запустить службу сообщений [-1]\n"
            L"-\n"
            L"О программе... [3]\n"
            L"-\n"
            L"Выход [-1]\n");
}

TEST_F(MainWindow, ToolbarShowsImagesWithHintsAsTooltips) {
  std::wostringstream out;
  int n = static_cast<int>(SendMessageW(form->ActionToolBar1, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    TBBUTTON b{};
    SendMessageW(form->ActionToolBar1, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
    if (b.fsStyle & BTNS_SEP) {
      out << L"-\n";
      continue;
    }
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom =
        reinterpret_cast<HWND>(SendMessageW(form->ActionToolBar1, TB_GETTOOLTIPS, 0, 0));
    info.hdr.idFrom = static_cast<UINT_PTR>(b.idCommand);
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    out << b.iBitmap << L" " << (info.lpszText ? info.lpszText : L"") << L"\n";
  }
  EXPECT_EQ(out.str(),
            L"0 Новое сообщение\n1 Отправить сообщение\n19 Отправить многократно\n-\n"
            L"4 Настройки программы\n7 Руководство пользователя\n"
            L"5 Открыть Web страницу Korvel\n6 Написать письмо автору\n3 О программе...\n");
  EXPECT_EQ(ImageList_GetImageCount(form->images.ImageListToolBar), 21);
  EXPECT_EQ(ImageList_GetImageCount(form->images.ImageListAdr), 4);
  EXPECT_EQ(ImageList_GetImageCount(form->images.ImageListLog), 2);
  EXPECT_EQ(ImageList_GetImageCount(form->images.ImageListIcon), 1);
}

TEST_F(MainWindow, AnUpdateHandlerReachesMenuAndToolbarAtOnce) {
  auto off = [&](int id) {
    return (GetMenuState(form->ActionMainMenuBar1, id, MF_BYCOMMAND) & MF_GRAYED) != 0 &&
           !SendMessageW(form->ActionToolBar1, TB_ISBUTTONENABLED, id, 0);
  };
  gApp.SendInProgress = 1;
  form->UpdateCommands();
  EXPECT_TRUE(off(ID_ACT_SEND));
  EXPECT_TRUE(off(ID_ACT_NEW));
  EXPECT_TRUE(off(ID_ACT_SEND_TIMER));
  EXPECT_FALSE(off(ID_ACT_OPTIONS));

  // The message loop re-evaluates every rule whenever the program is idle.
  gApp.SendInProgress = 0;
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

TEST_F(MainWindow, ShortcutsAndTheScannerImportRule) {
  HACCEL table = BuildAccelerators();
  ACCEL accels[8];
  int n = CopyAcceleratorTableW(table, accels, 8);
  DestroyAcceleratorTable(table);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(accels[0].cmd, ID_ACT_HELP);
  EXPECT_EQ(accels[0].key, VK_F1);
  EXPECT_EQ(accels[1].cmd, ID_ACT_OPTIONS);
  EXPECT_EQ(accels[1].key, 'O');
  EXPECT_EQ(accels[1].fVirt, FVIRTKEY | FCONTROL);

  gApp.ScannerFolder = "C:\\Scanner";
  form->UpdateCommands();
  EXPECT_FALSE(GetMenuState(form->PopupMenu1, ID_ACT_IMPORT_OXTERN, MF_BYCOMMAND) & MF_GRAYED);
  gApp.ScannerFolder.clear();
  form->UpdateCommands();
  EXPECT_TRUE(GetMenuState(form->PopupMenu1, ID_ACT_IMPORT_OXTERN, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MainWindow, TabOrderColumnsAndTheImportDialog) {
  std::vector<HWND> order;
  HWND at = form->lvLog;
  for (int i = 0; i < 5; ++i) {
    order.push_back(at);
    at = GetNextDlgTabItem(form->Handle(), at, FALSE);
  }
  EXPECT_EQ(order, (std::vector<HWND>{form->lvLog, form->edRecipient, form->edSender,
                                      form->mMessage, form->TreeAddresses}));
  EXPECT_EQ(at, form->lvLog);

  wchar_t text[64];
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.pszText = text;
  col.cchTextMax = 64;
  ASSERT_TRUE(ListView_GetColumn(form->lvLog, 0, &col));
  EXPECT_EQ(std::wstring(text), L"Дата");
  EXPECT_EQ(col.cx, 150);
  ASSERT_TRUE(ListView_GetColumn(form->lvLog, 1, &col));
  EXPECT_EQ(std::wstring(text), L"Информация");
  RECT rc;
  GetClientRect(form->lvLog, &rc);
  EXPECT_EQ(col.cx, rc.right - 150);

  const OPENFILENAMEW& d = form->OpenDialogImport();
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
  EXPECT_EQ(rectOf(form->TreeAddresses).right, 161);
  drag(IDC_SPLITTER2, {1, 10}, {41, 10});
  EXPECT_EQ(form->TreeWidth(), 201);
  EXPECT_EQ(rectOf(form->lvLog).bottom - rectOf(form->lvLog).top, 93);
  drag(IDC_SPLITTER1, {10, 1}, {10, -19});
  EXPECT_EQ(form->LogHeight(), 113);
  drag(IDC_SPLITTER2, {1, 10}, {-5000, 10});
  EXPECT_EQ(form->TreeWidth(), 30);

  for (SIZE size : {SIZE{700, 600}, SIZE{320, 320}, SIZE{1000, 700}}) {
    SetWindowPos(h, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    RECT client;
    GetClientRect(h, &client);
    RECT tree = rectOf(form->TreeAddresses), log = rectOf(form->lvLog);
    RECT split2 = rectOf(GetDlgItem(h, IDC_SPLITTER2)), status = rectOf(form->StatusBar1);
    RECT memo = rectOf(form->mMessage), toolbar = rectOf(form->ActionToolBar1);
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
  SetFocus(form->mMessage);
  ASSERT_EQ(GetFocus(), form->mMessage);
  // Through the program's own message loop, where the dialog keys are handled.
  PostMessageW(form->mMessage, WM_KEYDOWN, VK_TAB, 0);
  PostMessageW(form->mMessage, WM_KEYUP, VK_TAB, 0);
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(0);
  });
  form->Run();
  EXPECT_EQ(GetFocus(), form->TreeAddresses);
  EXPECT_EQ(GetWindowTextLengthW(form->mMessage), 0);
}
