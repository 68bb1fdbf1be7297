// The help commands and the about box in a real main window with a recording shell:
// what each command and link hands to the shell, and what the box shows and does with
// clicks located by the system's own hit-testing.
#include "dialogs/help_commands_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/dpi_win.h"
#include "base/settings.h"
#include "base/string_table.h"
#include "base/text.h"
#include "base/text_win.h"
#include "dialogs/about_box_win.h"
#include "res/resource.h"
#include "res/version.h"
#include "tests/win/win_test_util.h"

namespace korvel {
namespace {

struct ShellCall {
  HWND owner;
  std::optional<std::wstring> verb, file, parameters, directory;
  int show;
};

std::optional<std::wstring> Opt(const wchar_t* s) {
  return s ? std::optional<std::wstring>(s) : std::nullopt;
}

struct RecordingShell : DocumentShell {
  void Execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
               const wchar_t* directory, int show) override {
    calls.push_back({owner, Opt(verb), Opt(file), Opt(parameters), Opt(directory), show});
  }
  std::vector<ShellCall> calls;
};

// The two call forms: documents and pages, then mail and the forum.
void ExpectOpened(const ShellCall& call, const std::wstring& file) {
  EXPECT_EQ(call.owner, nullptr);
  EXPECT_EQ(call.verb, std::optional<std::wstring>(L"open"));
  EXPECT_EQ(call.file, file);
  EXPECT_EQ(call.parameters, std::nullopt);
  EXPECT_EQ(call.directory, std::nullopt);
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

void ExpectOpenedQuietly(const ShellCall& call, HWND owner, const std::wstring& file) {
  EXPECT_EQ(call.owner, owner);
  EXPECT_EQ(call.verb, std::nullopt);
  EXPECT_EQ(call.file, file);
  EXPECT_EQ(call.parameters, std::nullopt);
  EXPECT_EQ(call.directory, std::nullopt);
  EXPECT_EQ(call.show, SW_SHOWNOACTIVATE);
}

std::wstring Address(unsigned id) { return Widen(LoadStr(id)); }

RECT ClientRectIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A left click at (x, y), 96-DPI pixels in the box's client area, delivered to whatever
// window the system's hit-testing finds there.
void ClickAt(HWND box, int x, int y) {
  const UINT dpi = DpiOf(box);
  POINT screen{Scale(x, dpi), Scale(y, dpi)};
  ClientToScreen(box, &screen);
  HWND target = WindowFromPoint(screen);
  POINT local = screen;
  ScreenToClient(target, &local);
  SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.x, local.y));
  SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(local.x, local.y));
}

// Lays the box out again at each scale the program is tested at, as a move to a screen
// of that scale does, and runs `check` there; the box stands at the screen's top left.
void AtEveryScale(HWND box, const std::function<void(UINT dpi)>& check) {
  for (UINT dpi : {96u, 120u, 144u, 192u}) {
    SCOPED_TRACE(dpi);
    RECT suggested{0, 0, Scale(380, dpi), Scale(255, dpi)};
    SendMessageW(box, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    check(dpi);
  }
}

// The pixels a label's text covers in the box (1 where ink falls), drawn as the label
// draws it: in its own font, wrapped in its own width; `clipped` to its box, or not.
std::vector<uint8_t> Ink(HWND box, HWND label, bool clipped) {
  RECT client;
  GetClientRect(box, &client);
  BITMAPINFO info{};
  info.bmiHeader = {
      sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  const size_t pixels = static_cast<size_t>(client.right) * static_cast<size_t>(client.bottom);
  auto* rgb = static_cast<uint32_t*>(bits);
  std::fill(rgb, rgb + pixels, 0xFFFFFFu);
  HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  RECT r = ClientRectIn(box, label);
  UINT format = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
  if (clipped)
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  else
    format |= DT_NOCLIP;
  const std::wstring text = test::TextOf(label);
  DrawTextW(dc, text.c_str(), -1, &r, format);
  GdiFlush();
  std::vector<uint8_t> ink(pixels);
  for (size_t i = 0; i < pixels; ++i) ink[i] = (rgb[i] & 0xFFFFFFu) != 0xFFFFFFu;
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return ink;
}

// A picture's pixels as 0xRRGGBB, rows from the top.
std::vector<uint32_t> PixelsOf(HBITMAP picture, SIZE& size) {
  BITMAP bm{};
  GetObjectW(picture, sizeof bm, &bm);
  size = {bm.bmWidth, bm.bmHeight};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, picture, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

class HelpCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    f.services.documentShell = &shell;
    f.Create();
  }
  void TearDown() override { f.Close(); }

  // Opens the about box, runs `act` on it from inside its modal loop, and makes sure it
  // is closed afterwards even when `act` left it open.
  void WithAboutBox(const std::function<void(HWND)>& act) {
    bool ran = false;
    test::WhenDialogOpens([&](HWND box) {
      ran = true;
      act(box);
      if (IsWindowVisible(box)) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
    f.form->ExecuteCommand(ID_ACT_ABOUT);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(test::OpenDialogs().empty());
  }

  test::FormFixture f;
  RecordingShell shell;
};

TEST_F(HelpCommands, EachCommandHandsItsTargetToTheShellInItsOwnCallForm) {
  const std::wstring folder = WidePath(ExtractFilePath(f.exe));
  struct Case {
    int command;
    std::wstring target;
    bool quietly;
  };
  const Case cases[] = {
      {ID_ACT_HELP, folder + L"HELP\\help.htm", false},
      {ID_ACT_FAQ, folder + L"HELP\\faq.htm", false},
      {ID_ACT_WHAT_NEW, folder + L"history.txt", false},
      {ID_ACT_HOME, Address(IDS_PRODUCT_PAGE), false},
      {ID_ACT_MAIL, Address(IDS_SUPPORT_MAIL), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    shell.calls.clear();
    f.form->ExecuteCommand(c.command);
    ASSERT_EQ(shell.calls.size(), 1u);
    if (c.quietly)
      ExpectOpenedQuietly(shell.calls[0], f.form->Handle(), c.target);
    else
      ExpectOpened(shell.calls[0], c.target);
  }
  EXPECT_EQ(Address(IDS_PRODUCT_PAGE).rfind(L"http://", 0), 0u);
  EXPECT_EQ(Address(IDS_SUPPORT_MAIL).rfind(L"mailto:", 0), 0u);
  EXPECT_TRUE(f.messages.empty());
}

// The paths are UTF-8 from the system to the shell: a folder name that Windows-1251
// cannot spell still reaches it intact, and the history is looked for beside the
// program as it is now.
TEST(HelpPaths, AFolderOutsideTheCodePageReachesTheShellIntact) {
  const std::string exe =
      "C:\\Users\\\xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7\\Korvel.exe";  // Ελένη
  Settings settings;
  ReadSettings(IniFile(""), exe, settings);
  RecordingShell shell;
  THelpCommands help(nullptr, settings, exe, shell);
  help.actHelpExecute();
  help.actFAQExecute();
  help.actWhatNewExecute();
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.calls[0].file, L"C:\\Users\\Ελένη\\HELP\\help.htm");
  EXPECT_EQ(shell.calls[1].file, L"C:\\Users\\Ελένη\\HELP\\faq.htm");
  EXPECT_EQ(shell.calls[2].file, L"C:\\Users\\Ελένη\\history.txt");
}

// With the system's own shell and no documents beside the program: the commands say
// nothing and open nothing.
TEST(HelpMissing, NothingIsShownWhenTheDocumentsAreMissing) {
  test::FormFixture f;
  f.Create();
  ASSERT_FALSE(
      std::filesystem::exists(std::filesystem::path(WidePath(ExtractFilePath(f.exe))) / L"HELP"));
  for (int command : {ID_ACT_HELP, ID_ACT_FAQ, ID_ACT_WHAT_NEW}) f.form->ExecuteCommand(command);
  test::Pump();
  EXPECT_TRUE(f.messages.empty());
  EXPECT_TRUE(test::OpenDialogs().empty());
  EXPECT_TRUE(IsWindowEnabled(f.form->Handle()));
  f.Close();
}

TEST_F(HelpCommands, TheAboutBoxShowsTheFullVersionEachTimeItOpens) {
  const std::wstring expected = L"Korvel " + Widen(KORVEL_FILE_VERSION_TEXT);
  for (int round = 0; round < 2; ++round) {
    std::wstring shown;
    WithAboutBox([&](HWND box) { shown = test::TextOf(GetDlgItem(box, IDC_ABOUT_LABEL1)); });
    EXPECT_EQ(shown, expected) << "opening " << round + 1;
  }
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(HelpCommands, TheAboutBoxIsABorderlessPictureCentredOnTheMainWindow) {
  WithAboutBox([&](HWND box) {
    const UINT dpi = DpiOf(box);
    const LONG_PTR style = GetWindowLongPtrW(box, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME), 0);
    EXPECT_EQ(test::TextOf(box), L"О программе...");
    RECT client, window, owner;
    GetClientRect(box, &client);
    GetWindowRect(box, &window);
    GetWindowRect(f.form->Handle(), &owner);
    EXPECT_EQ(client.right, Scale(380, dpi));
    EXPECT_EQ(client.bottom, Scale(255, dpi));
    EXPECT_NEAR((window.left + window.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
    // Every control, sized to its text, still lies inside the picture.
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      RECT r = ClientRectIn(box, c);
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
          << GetDlgCtrlID(c);
    }
    // Label1 and the links keep their places; the links' right edges stay where they were.
    RECT label1 = ClientRectIn(box, GetDlgItem(box, IDC_ABOUT_LABEL1));
    EXPECT_EQ(label1.left, Scale(151, dpi));
    EXPECT_EQ(label1.top, Scale(26, dpi));
    EXPECT_EQ(ClientRectIn(box, GetDlgItem(box, IDC_ABOUT_LMAIL)).right, Scale(363, dpi));
  });
}

TEST_F(HelpCommands, TheBoxStaysOnTheScreenWhenTheMainWindowDoesNot) {
  SetWindowPos(f.form->Handle(), nullptr, -350, -200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  WithAboutBox([&](HWND box) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT r;
    GetWindowRect(box, &r);
    EXPECT_GE(r.left, monitor.rcWork.left);
    EXPECT_GE(r.top, monitor.rcWork.top);
    EXPECT_LE(r.right, monitor.rcWork.right);
    EXPECT_LE(r.bottom, monitor.rcWork.bottom);
  });
}

TEST_F(HelpCommands, LinksOpenTheirAddressesAndLeaveTheBoxOpenPlainLabelsDoNothing) {
  const HWND main = f.form->Handle();
  struct Click {
    const char* what;
    int x, y;
    std::optional<std::wstring> target;  // none: a plain label
    bool quietly;
  };
  const Click clicks[] = {
      {"lHome", 300, 78, Address(IDS_PRODUCT_PAGE), false},
      {"Image3, top left", 30, 10, Address(IDS_PRODUCT_PAGE), false},
      {"lMail", 330, 123, Address(IDS_SUPPORT_MAIL), true},
      {"lForum", 320, 168, Address(IDS_FORUM_PAGE), true},
      {"Image2, banner", 320, 207, Address(IDS_HOSTING_PAGE), false},
      {"Label7", 215, 212, Address(IDS_HOSTING_PAGE), false},
      {"Label1", 200, 38, std::nullopt, false},
      {"Label3", 120, 200, std::nullopt, false},
      {"Label4", 120, 78, std::nullopt, false},
      {"Label5", 120, 100, std::nullopt, false},
      {"Label6", 120, 145, std::nullopt, false},
      {"Label2", 240, 244, std::nullopt, false},
  };
  WithAboutBox([&](HWND box) {
    for (const Click& c : clicks) {
      SCOPED_TRACE(c.what);
      shell.calls.clear();
      ClickAt(box, c.x, c.y);
      EXPECT_TRUE(IsWindowVisible(box));
      if (!c.target) {
        EXPECT_TRUE(shell.calls.empty());
        continue;
      }
      ASSERT_EQ(shell.calls.size(), 1u);
      if (c.quietly)
        ExpectOpenedQuietly(shell.calls[0], main, *c.target);
      else
        ExpectOpened(shell.calls[0], *c.target);
    }
  });
  EXPECT_TRUE(f.messages.empty());
}

// No label's box lies over a link: wherever a link's text has ink, the pointer is over the
// link, at every scale.
TEST_F(HelpCommands, EveryPixelOfALinksTextIsTheLink) {
  WithAboutBox([&](HWND box) {
    AtEveryScale(box, [&](UINT) {
      RECT client;
      GetClientRect(box, &client);
      for (int id : {IDC_ABOUT_LHOME, IDC_ABOUT_LMAIL, IDC_ABOUT_LFORUM, IDC_ABOUT_LABEL7}) {
        SCOPED_TRACE(id);
        HWND link = GetDlgItem(box, id);
        const std::vector<uint8_t> ink = Ink(box, link, false);
        int inked = 0, elsewhere = 0;
        for (int y = 0; y < client.bottom; ++y)
          for (int x = 0; x < client.right; ++x) {
            if (!ink[static_cast<size_t>(y) * static_cast<size_t>(client.right) +
                     static_cast<size_t>(x)])
              continue;
            ++inked;
            POINT at{x, y};
            ClientToScreen(box, &at);
            if (WindowFromPoint(at) != link) ++elsewhere;
          }
        EXPECT_GT(inked, 0);
        EXPECT_EQ(elsewhere, 0) << "of " << inked << " pixels";
      }
    });
  });
}

// Each text shows whole in its own box and no two texts, nor a text and the banner, share
// a pixel, at 100, 125, 150 and 200 %.
TEST_F(HelpCommands, EveryTextOfTheBoxShowsWholeAndApartAtEveryScale) {
  const int labels[] = {IDC_ABOUT_LABEL1, IDC_ABOUT_LABEL2, IDC_ABOUT_LABEL3, IDC_ABOUT_LABEL4,
                        IDC_ABOUT_LABEL5, IDC_ABOUT_LABEL6, IDC_ABOUT_LABEL7, IDC_ABOUT_LHOME,
                        IDC_ABOUT_LMAIL,  IDC_ABOUT_LFORUM};
  WithAboutBox([&](HWND box) {
    AtEveryScale(box, [&](UINT) {
      RECT client;
      GetClientRect(box, &client);
      // Whose ink each pixel is: 0 for none, else a label's id; the banner first.
      std::vector<int> owner(static_cast<size_t>(client.right) *
                             static_cast<size_t>(client.bottom));
      const RECT banner = ClientRectIn(box, GetDlgItem(box, IDC_ABOUT_IMAGE2));
      for (LONG y = banner.top; y < banner.bottom; ++y)
        for (LONG x = banner.left; x < banner.right; ++x)
          owner[static_cast<size_t>(y * client.right + x)] = IDC_ABOUT_IMAGE2;
      for (int id : labels) {
        SCOPED_TRACE(id);
        HWND label = GetDlgItem(box, id);
        const std::vector<uint8_t> shown = Ink(box, label, true);
        EXPECT_TRUE(shown == Ink(box, label, false)) << "the text is cut off";
        for (size_t i = 0; i < shown.size(); ++i) {
          if (!shown[i]) continue;
          if (owner[i]) {
            ADD_FAILURE() << "drawn over " << owner[i] << " at " << i % client.right << ","
                          << i / client.right;
            break;
          }
          owner[i] = id;
        }
      }
    });
  });
}

// The pictures are kept as PNG and decoded when the box opens: each comes out at its size
// with the colours it was drawn in (tools/about_pictures.py).
TEST(AboutPictures, EachDecodesWholeFromTheProgramsResources) {
  struct Sample {
    int id;
    SIZE size;
    POINT at;
    uint32_t colour;
  };
  const Sample samples[] = {
      {IDB_ABOUT_BACKGROUND_96, {380, 255}, {40, 200}, 0x2C65C1},
      {IDB_ABOUT_BACKGROUND_96, {380, 255}, {367, 13}, 0x575F6B},
      {IDB_ABOUT_BACKGROUND_192, {760, 510}, {400, 200}, 0xECF1F7},
      {IDB_ABOUT_BACKGROUND_192, {760, 510}, {734, 26}, 0x505864},
      {IDB_ABOUT_BANNER_96, {88, 31}, {60, 20}, 0xD82818},
      {IDB_ABOUT_BANNER_192, {176, 62}, {30, 34}, 0xF4F6FA},
  };
  for (const Sample& s : samples) {
    SCOPED_TRACE(s.id);
    HBITMAP picture = LoadPngPicture(s.id);
    ASSERT_NE(picture, nullptr);
    SIZE size{};
    const std::vector<uint32_t> pixels = PixelsOf(picture, size);
    DeleteObject(picture);
    EXPECT_EQ(size.cx, s.size.cx);
    EXPECT_EQ(size.cy, s.size.cy);
    EXPECT_EQ(pixels[static_cast<size_t>(s.at.y * size.cx + s.at.x)], s.colour);
  }
}

// At 100 % and 200 % the box shows the picture drawn for that scale pixel for pixel, as
// sharp as it was drawn: the band on the left, where nothing stands over it, is the same.
TEST_F(HelpCommands, AtItsTwoScalesTheBoxShowsItsPicturePixelForPixel) {
  WithAboutBox([&](HWND box) {
    AtEveryScale(box, [&](UINT dpi) {
      if (dpi != 96 && dpi != 192) return;
      HBITMAP drawn =
          LoadPngPicture(dpi == 96 ? IDB_ABOUT_BACKGROUND_96 : IDB_ABOUT_BACKGROUND_192);
      ASSERT_NE(drawn, nullptr);
      SIZE size{};
      const std::vector<uint32_t> expected = PixelsOf(drawn, size);
      DeleteObject(drawn);
      RedrawWindow(box, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      HDC window = GetDC(box), copy = CreateCompatibleDC(window);
      HBITMAP shot = CreateCompatibleBitmap(window, size.cx, size.cy);
      HGDIOBJ old = SelectObject(copy, shot);
      BitBlt(copy, 0, 0, size.cx, size.cy, window, 0, 0, SRCCOPY);
      SelectObject(copy, old);
      DeleteDC(copy);
      ReleaseDC(box, window);
      SIZE shotSize{};
      const std::vector<uint32_t> shown = PixelsOf(shot, shotSize);
      DeleteObject(shot);
      int differ = 0;
      for (int y = Scale(24, dpi); y < Scale(250, dpi); ++y)
        for (int x = Scale(3, dpi); x < Scale(84, dpi); ++x)
          differ += shown[static_cast<size_t>(y * size.cx + x)] !=
                    expected[static_cast<size_t>(y * size.cx + x)];
      EXPECT_EQ(differ, 0);
    });
  });
}

TEST_F(HelpCommands, AClickOnThePictureOrItsTopRightCornerClosesTheBox) {
  for (POINT at : {POINT{40, 230}, POINT{200, 62}, POINT{367, 13}}) {
    bool closed = false;
    WithAboutBox([&](HWND box) {
      ClickAt(box, at.x, at.y);
      closed = !IsWindowVisible(box);
    });
    EXPECT_TRUE(closed) << at.x << "," << at.y;
  }
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(HelpCommands, TheLinksLookAndPointLikeLinks) {
  WithAboutBox([&](HWND box) {
    auto underlined = [&](int id) {
      LOGFONTW lf{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(box, id), WM_GETFONT, 0, 0)),
                 sizeof lf, &lf);
      return lf.lfUnderline != 0;
    };
    auto textColour = [&](int id) {
      HDC dc = CreateCompatibleDC(nullptr);
      SendMessageW(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
      COLORREF colour = GetTextColor(dc);
      DeleteDC(dc);
      return colour;
    };
    auto handOver = [&](int id) {
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(box, id)),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      return GetCursor() == LoadCursorW(nullptr, IDC_HAND);
    };
    for (int id : {IDC_ABOUT_LHOME, IDC_ABOUT_LMAIL, IDC_ABOUT_LFORUM, IDC_ABOUT_LABEL7}) {
      EXPECT_TRUE(underlined(id)) << id;
      EXPECT_EQ(textColour(id), LinkColour()) << id;
      EXPECT_TRUE(handOver(id)) << id;
    }
    for (int id : {IDC_ABOUT_IMAGE2, IDC_ABOUT_IMAGE3, IDC_ABOUT_IMAGE4}) EXPECT_TRUE(handOver(id));
    for (int id : {IDC_ABOUT_LABEL1, IDC_ABOUT_LABEL3, IDC_ABOUT_LABEL5, IDC_ABOUT_LABEL2}) {
      EXPECT_FALSE(underlined(id)) << id;
      EXPECT_EQ(textColour(id), GetSysColor(COLOR_WINDOWTEXT)) << id;
      EXPECT_FALSE(handOver(id)) << id;
    }
    // A link must be readable on the light picture, whatever the theme says.
    const COLORREF link = LinkColour();
    EXPECT_LT(GetRValue(link) * 30 + GetGValue(link) * 59 + GetBValue(link) * 11, 150 * 100);
  });
}

}  // namespace
}  // namespace korvel
