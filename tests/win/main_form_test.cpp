// The main window's start and end: settings read and written, sender history, title,
// the sender field's policy, the scanner folder from the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/string_table.h"
#include "base/text_win.h"
#include "base/version_text.h"
#include "res/resource.h"
#include "res/version.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

std::vector<std::string> SenderList(HWND combo) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t buf[512] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    items.push_back(Narrow(buf));
  }
  return items;
}

}  // namespace

class MainForm : public ::testing::Test, public FormFixture {};

TEST_F(MainForm, FirstRunWritesTheSettingsFileByteForByte) {
  TKorvelForm& f = Create();
  RECT r;
  GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 404);
  EXPECT_EQ(r.bottom - r.top, 492);
  f.ShowForm();
  Close();
  EXPECT_EQ(form->Handle(), nullptr);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dir.Read("Korvel.ini"),
            "[Sender]\r\nSender1=" + TKorvelForm::GetUserFromWindows() +
                "\r\n"
                "[Defaults]\r\nDeltaClear=5\r\nMaxSender=5\r\nMaxLineLog=300\r\nMaxThreads=50\r\n"
                "RecipientFile=" +
                dir.Path("Korvel.dat") +
                "\r\nPatchInstalled=1\r\nWhatSend=1\r\n"
                "[Window Position]\r\nTop=0\r\nLeft=0\r\nWidth=404\r\nHeight=492\r\n"
                "[Window State]\r\nWindowState=0\r\n");
}

TEST_F(MainForm, StoredGeometryIsAppliedAndTheMaximisedStateWrittenBack) {
  dir.Write("Korvel.ini",
            "[Window Position]\r\nTop=30\r\nLeft=40\r\nWidth=500\r\nHeight=400\r\n"
            "[Window State]\r\nWindowState=2\r\n");
  TKorvelForm& f = Create();
  RECT r;
  GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 500);
  f.ShowForm();
  EXPECT_TRUE(IsZoomed(f.Handle()));
  Close();
  IniFile ini(dir.Path("Korvel.ini"));
  EXPECT_EQ(ini.ReadInteger("Window Position", "Top", -1), 30);
  EXPECT_EQ(ini.ReadInteger("Window Position", "Left", -1), 40);
  EXPECT_EQ(ini.ReadInteger("Window State", "WindowState", -1), 2);
  EXPECT_NE(ini.ReadInteger("Window Position", "Width", -1), 500);
}

TEST_F(MainForm, UnknownWindowStateOpensNormal) {
  dir.Write("Korvel.ini", "[Window State]\r\nWindowState=7\r\n");
  TKorvelForm& f = Create();
  f.ShowForm();
  EXPECT_TRUE(IsWindowVisible(f.Handle()));
  EXPECT_FALSE(IsZoomed(f.Handle()) || IsIconic(f.Handle()));
  Close();
  EXPECT_EQ(IniFile(dir.Path("Korvel.ini")).ReadInteger("Window State", "WindowState", -1), 0);
}

TEST_F(MainForm, SenderHistoryLoadsSkippingEmptiesAndIsWrittenBackUpToItsLength) {
  dir.Write("Korvel.ini", "[Defaults]\r\nMaxSender=2\r\n[Sender]\r\nSender1=" + Cp("Петров") +
                              "\r\nSender2=\r\nSender3=" + Cp("Иванов") +
                              "\r\nSender4=d\r\nSender5=e\r\n");
  TKorvelForm& f = Create();
  EXPECT_EQ(SenderList(f.Compose().edSender), std::vector<std::string>{Cp("Петров")});
  EXPECT_EQ(GetWindowText1251(f.Compose().edSender), Cp("Петров"));
  Close();
  IniFile ini(dir.Path("Korvel.ini"));
  EXPECT_EQ(ini.ReadString("Sender", "Sender1", ""), Cp("Петров"));
  EXPECT_EQ(ini.ReadString("Sender", "Sender2", "?"), "");
  EXPECT_EQ(ini.ReadString("Sender", "Sender3", ""), Cp("Иванов"));
  EXPECT_EQ(ini.ReadString("Sender", "Sender5", ""), "e");
}

TEST_F(MainForm, SenderHistoryReadsAllNonEmptyKeysUpToMaxSender) {
  dir.Write("Korvel.ini", "[Sender]\r\nSender1=" + Cp("Петров") +
                              "\r\nSender2=\r\nSender3=" + Cp("Иванов") + "\r\n");
  TKorvelForm& f = Create();
  EXPECT_EQ(SenderList(f.Compose().edSender),
            (std::vector<std::string>{Cp("Петров"), Cp("Иванов")}));
  EXPECT_EQ(GetWindowText1251(f.Compose().edSender), Cp("Петров"));
}

TEST_F(MainForm, WithoutHistoryTheListHoldsTheUserName) {
  dir.Write("Korvel.ini", "[Defaults]\r\nMaxSender=0\r\n[Sender]\r\nSender1=x\r\n");
  TKorvelForm& f = Create();
  std::string user = TKorvelForm::GetUserFromWindows();
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(SenderList(f.Compose().edSender), std::vector<std::string>{user});
}

TEST_F(MainForm, WhatSendZeroDisablesTheSenderFieldWithTheFaceColour) {
  for (const char* value : {"0", "256", "1", "5"}) {
    dir.Write("Korvel.ini", std::string("[Defaults]\r\nWhatSend=") + value + "\r\n");
    TKorvelForm& f = Create();
    bool off = value[0] == '0' || value[0] == '2';
    EXPECT_EQ(IsWindowEnabled(f.Compose().edSender) != 0, !off) << value;
    COLORREF want = GetSysColor(off ? COLOR_BTNFACE : COLOR_WINDOW);
    EXPECT_EQ(f.Compose().SenderColor(), want) << value;
    // What the window answers when the field's edit part asks for its colours.
    HWND edit = FindWindowExW(f.Compose().edSender, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    HDC dc = GetDC(edit);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(f.Handle(), off ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                     reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)));
    LOGBRUSH lb{};
    GetObjectW(brush, sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, want) << value;
    EXPECT_EQ(GetBkColor(dc), want) << value;
    ReleaseDC(edit, dc);
    form.reset();
  }
}

TEST_F(MainForm, CaptionNamesTheVersionMakerAndHostWithAnEmDash) {
  TKorvelForm& f = Create();
  wchar_t caption[256] = {};
  GetWindowTextW(f.Handle(), caption, 256);
  EXPECT_EQ(std::wstring(caption), Widen(ShortVersionText("Korvel", KORVEL_FILE_VERSION_TEXT)) +
                                       L" \u2014 Brenholt: " + Widen(LoadStr(IDS_MAKER_HOST)));
  EXPECT_EQ(ApplicationTitle(), Narrow(caption));
}

TEST_F(MainForm, ScannerFolderComesFromEitherRegistryViewReadOnly) {
  {
    // A 32-bit scanner writes the 32-bit view; it comes first.
    ScannerKey wow(KEY_WOW64_32KEY), native(KEY_WOW64_64KEY);
    wow.Set(L"C:\\Program Files (x86)\\Scanner");
    native.Set(L"C:\\Program Files\\Scanner");
    Create();
    EXPECT_EQ(form->ScannerFolder(), "C:\\Program Files (x86)\\Scanner");
    form.reset();
  }
  {
    ScannerKey native(KEY_WOW64_64KEY);
    native.Set(L"C:\\Program Files\\Scanner");
    Create();
    EXPECT_EQ(form->ScannerFolder(), "C:\\Program Files\\Scanner");
    form.reset();

    native.Set(L"");
    Create();
    EXPECT_EQ(form->ScannerFolder(), "");
    form.reset();

    // A value of another type names no folder. The start-up goes on as without one, and
    // the book it loads is saved with what the user added, nothing kept aside, run after run.
    DWORD number = 5;
    RegSetValueExW(native.key, L"Oxtern", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    dir.Write("Korvel.dat", "0 0 Office\r\n1 2 PC7\r\n");
    for (const char* added : {"New", "Newer"}) {
      TKorvelForm& f = Create();
      EXPECT_EQ(f.ScannerFolder(), "");
      EXPECT_EQ(SendMessageW(f.Compose().edSender, CB_GETCOUNT, 0, 0), 1);
      EXPECT_EQ(TextOf(f.Handle()), Widen(ApplicationTitle()));
      f.AddressBook().Tree().AddLast(nullptr, added, kGroupNode);
      Close();
      form.reset();
    }
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(dir.Read("Korvel.dat"), "0 0 Office\r\n1 2 PC7\r\n0 0 New\r\n0 0 Newer\r\n");
    EXPECT_FALSE(dir.Exists("Korvel.dat.bak"));
  }
  Create();
  EXPECT_EQ(form->ScannerFolder(), "");
}

TEST_F(MainForm, ARefusedSettingsWriteIsReportedOnceWithTheFullPath) {
  dir.Write("Korvel.ini", "[Defaults]\r\nMaxThreads=10\r\n");
  std::wstring ini = WidePath(dir.Path("Korvel.ini"));
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  Create();
  Close();
  EXPECT_EQ(messages, std::vector<std::string>{"Unable to write to " + dir.Path("Korvel.ini")});
  EXPECT_EQ(dir.Read("Korvel.ini"), "[Defaults]\r\nMaxThreads=10\r\n");
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(MainForm, AHandOverOfAnySizeOrContentIsTakenSafely) {
  TKorvelForm& f = Create();
  SetWindowTextW(f.Compose().edRecipient, L"before");
  COPYDATASTRUCT empty{0, 0, nullptr};
  SendMessageW(f.Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&empty));
  EXPECT_EQ(TextOf(f.Compose().edRecipient), L"before");

  std::string text = Cp("ПК7");
  COPYDATASTRUCT one{0, static_cast<DWORD>(text.size()), text.data()};
  SendMessageW(f.Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&one));
  EXPECT_EQ(TextOf(f.Compose().edRecipient), L"ПК7");

  std::string big(300000, 'x');
  big[5] = '\0';
  COPYDATASTRUCT large{7, static_cast<DWORD>(big.size()), big.data()};
  SendMessageW(f.Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&large));
  EXPECT_EQ(TextOf(f.Compose().edRecipient), L"xxxxx");

  COPYDATASTRUCT bogus{0, 10, nullptr};
  SendMessageW(f.Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&bogus));
  SendMessageW(f.Handle(), WM_COPYDATA, 0, 0);
  EXPECT_EQ(TextOf(f.Compose().edRecipient), L"xxxxx");
}
