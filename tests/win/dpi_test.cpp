// The main window at the screen's scale: run at 96, 144 and 192 DPI (tools/with-dpi.sh), its
// sizes are those of 100 % times the scale, and what it stores is the same at every scale.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "app/image_lists_win.h"
#include "base/dpi_win.h"
#include "dialogs/about_box_win.h"
#include "import/importserv_dialog_win.h"
#include "import/network_browse_win.h"
#include "import/select_addr_group_dialog_win.h"
#include "import/server_users_win.h"
#include "import/type_name_dialog_win.h"
#include "res/resource.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class Dpi : public ::testing::Test, public FormFixture {
 protected:
  // The DPI this run was started at; 96 when it was not asked for.
  static UINT Expected() {
    const char* asked = std::getenv("KORVEL_TEST_DPI");
    return asked ? static_cast<UINT>(std::atoi(asked)) : 96;
  }
  RECT In(HWND control, HWND parent) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
};

// Within a pixel or two of the scaled 96-DPI figure.
#define EXPECT_SCALED(actual, px96, dpi) EXPECT_NEAR((actual), Scale((px96), (dpi)), 2) << #actual

}  // namespace

TEST_F(Dpi, TheMainWindowIsLaidOutForTheScreensScaleAndStoresWhatItWouldAt100) {
  const UINT dpi = Expected();
  ASSERT_EQ(SystemDpi(), dpi) << "the prefix did not take the DPI";
  dir.Write("Korvel.ini", "[Window Position]\r\nTop=10\r\nLeft=20\r\nWidth=404\r\nHeight=492\r\n");
  TKorvelForm& f = Create();
  EXPECT_EQ(f.Dpi(), dpi);
  HWND h = f.Handle();
  RECT outer;
  GetWindowRect(h, &outer);
  EXPECT_SCALED(outer.left, 20, dpi);
  EXPECT_SCALED(outer.top, 10, dpi);
  EXPECT_SCALED(outer.right - outer.left, 404, dpi);
  EXPECT_SCALED(outer.bottom - outer.top, 492, dpi);

  RECT toolbar = In(f.ActionToolBar1, h), tree = In(f.AddressBook().TreeAddresses, h);
  RECT log = In(f.Log().lvLog, h), recipient = In(f.Compose().edRecipient, h);
  EXPECT_SCALED(toolbar.bottom, 26, dpi);
  EXPECT_SCALED(tree.top, 26, dpi);
  EXPECT_SCALED(tree.right, 161, dpi);
  EXPECT_SCALED(log.bottom - log.top, 93, dpi);
  EXPECT_SCALED(recipient.left - tree.right, 3 + 80, dpi);
  EXPECT_SCALED(recipient.top - tree.top, 8, dpi);
  EXPECT_SCALED(recipient.right - recipient.left, 137, dpi);
  EXPECT_SCALED(recipient.bottom - recipient.top, 21, dpi);
  EXPECT_SCALED(ListView_GetColumnWidth(f.Log().lvLog, 0), 150, dpi);
  int parts[2] = {};
  SendMessageW(f.StatusBar1, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  EXPECT_SCALED(parts[0], 20, dpi);
  EXPECT_SCALED(parts[1], 70, dpi);

  // Images drawn for the scale, not stretched: 16, 24 or 32 pixels.
  const int size = ImageSizeFor(dpi);
  EXPECT_EQ(size, dpi >= 192 ? 32 : dpi >= 144 ? 24 : 16);
  int w = 0, hgt = 0;
  for (HIMAGELIST list : {f.images.ImageListToolBar, f.images.ImageListAdr, f.images.ImageListLog,
                          f.images.ImageListIcon}) {
    ImageList_GetIconSize(list, &w, &hgt);
    EXPECT_EQ(w, size);
  }
  EXPECT_EQ(ImageList_GetImageCount(f.images.ImageListToolBar), 21);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(f.Compose().edRecipient, WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_SCALED(-font.lfHeight, 11, dpi);

  Close();
  IniFile ini(dir.Path("Korvel.ini"));
  EXPECT_EQ(ini.ReadInteger("Window Position", "Top", -1), 10);
  EXPECT_EQ(ini.ReadInteger("Window Position", "Left", -1), 20);
  EXPECT_EQ(ini.ReadInteger("Window Position", "Width", -1), 404);
  EXPECT_EQ(ini.ReadInteger("Window Position", "Height", -1), 492);
}

TEST_F(Dpi, MovedToAScreenOfAnotherScaleTheWindowLaysItselfOutAgain) {
  const UINT dpi = Expected();
  const UINT other = dpi == 192 ? 96 : 192;
  TKorvelForm& f = Create();
  HWND h = f.Handle();
  RECT suggested{0, 0, Scale(404, other), Scale(492, other)};
  SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(f.Dpi(), other);
  EXPECT_SCALED(In(f.AddressBook().TreeAddresses, h).right, 161, other);
  EXPECT_SCALED(In(f.ActionToolBar1, h).bottom, 26, other);
  int w = 0, hgt = 0;
  ImageList_GetIconSize(f.images.ImageListToolBar, &w, &hgt);
  EXPECT_EQ(w, ImageSizeFor(other));
  // The toolbar and the tree were handed the new lists; the old ones are gone.
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(f.ActionToolBar1, TB_GETIMAGELIST, 0, 0)),
            f.images.ImageListToolBar);
  EXPECT_EQ(TreeView_GetImageList(f.AddressBook().TreeAddresses, TVSIL_NORMAL),
            f.images.ImageListAdr);
  f.UpdateCommands();
  EXPECT_TRUE(f.CommandEnabled(ID_ACT_ADD_GROUP));
  // A drag there is taken in that window's pixels.
  HWND splitter = GetDlgItem(h, IDC_SPLITTER2);
  SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
  SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + Scale(40, other), 10));
  SendMessageW(splitter, WM_LBUTTONUP, 0, 0);
  EXPECT_NEAR(f.TreeWidth(), 201, 1);

  Close();
  IniFile ini(dir.Path("Korvel.ini"));
  EXPECT_NEAR(ini.ReadInteger("Window Position", "Width", -1), 404, 1);
  EXPECT_NEAR(ini.ReadInteger("Window Position", "Height", -1), 492, 1);
}

namespace {

// What a dialog showed: its client area, and whether Esc closed it.
struct Shown {
  SIZE client{};
  bool closedByEsc = false;
};

// Shows a dialog through `show`, measures it from inside its loop and presses Esc; a
// dialog that does not close by itself within two seconds is cancelled, so the test never
// hangs.
Shown Measure(const std::function<void()>& show) {
  static Shown shown;
  static HWND dialog = nullptr;
  shown = {};
  dialog = nullptr;
  WhenDialogOpens([](HWND d) {
    dialog = d;
    RECT r;
    GetClientRect(d, &r);
    shown.client = {r.right, r.bottom};
    HWND focus = GetFocus();
    HWND target = focus && IsChild(d, focus) ? focus : d;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    SetTimer(nullptr, 0, 2000, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      if (IsWindow(dialog)) {
        shown.closedByEsc = false;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    shown.closedByEsc = true;
  });
  show();
  Pump();
  return shown;
}

}  // namespace

TEST_F(Dpi, EveryDialogHasItsDesignedSizeAtTheScaleAndClosesWithEsc) {
  const UINT dpi = Expected();
  TKorvelForm& f = Create();
  HWND owner = f.Handle();
  struct Case {
    const char* name;
    int width, height;
    std::function<void()> show;
  };
  SelectAddrGroupData chooser;
  ImportservData wizard;
  wizard.tree = &f.AddressBook().Tree();
  wizard.shell = &SystemNetworkShell();
  wizard.users = &SystemUserEnumerator();
  TypeNameData typed;
  typed.title = "Import";
  const Case cases[] = {
      {"group chooser", 307, 150, [&] { ShowSelectAddrGroupDialog(owner, chooser); }},
      {"server import", 302, 180, [&] { ShowImportservDialog(owner, wizard); }},
      {"typed name", 296, 103, [&] { ShowTypeNameDialog(owner, typed); }},
      {"about box", 380, 255, [&] { ShowAboutBox(owner, SystemDocumentShell()); }},
  };
  for (const Case& c : cases) {
    Shown shown = Measure(c.show);
    EXPECT_NEAR(shown.client.cx, Scale(c.width, dpi), 2) << c.name;
    EXPECT_NEAR(shown.client.cy, Scale(c.height, dpi), 2) << c.name;
    EXPECT_TRUE(shown.closedByEsc) << c.name;
  }
}
