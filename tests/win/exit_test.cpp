// How the program ends: at the end of the user's session, after living in the tray, and
// when it lives in a folder whose name Windows-1251 cannot spell.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "addressbook/tree_view_win.h"
#include "base/file_io.h"
#include "base/text_win.h"
#include "base/version_win.h"
#include "res/resource.h"
#include "res/version.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class ProgramEnd : public ::testing::Test, public FormFixture {
 protected:
  void AddGroup(TKorvelForm& f, const char* name) {
    f.AddressBook().Tree().AddLast(nullptr, name, kGroupNode);
  }
  IniFile Ini() { return IniFile(dir.Path("Korvel.ini")); }
};

}  // namespace

TEST_F(ProgramEnd, TheEndOfTheSessionSavesEverythingAndAsksNothing) {
  TKorvelForm& f = Create();
  f.ShowForm();
  AddGroup(f, "Typed today");
  SetWindowTextW(f.Compose().edSender, L"Иван");
  SendMessageW(f.Compose().edSender, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"Иван"));

  // A session end that another program cancels changes nothing.
  EXPECT_EQ(SendMessageW(f.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageW(f.Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(IsWindow(f.Handle()));
  EXPECT_FALSE(dir.Exists("Korvel.dat"));

  // Set read-only now: the refused settings write must not hold the session up.
  dir.Write("Korvel.ini", "");
  SetFileAttributesW(WidePath(dir.Path("Korvel.ini")).c_str(), FILE_ATTRIBUTE_READONLY);
  SendMessageW(f.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(form->Handle(), nullptr);
  EXPECT_EQ(dir.Read("Korvel.dat"), "0 0 Typed today\r\n");
  EXPECT_TRUE(messages.empty());
  SetFileAttributesW(WidePath(dir.Path("Korvel.ini")).c_str(), FILE_ATTRIBUTE_NORMAL);

  // Writable, the settings and the sender history are there too.
  form.reset();
  dir.Write("Korvel.ini", "");
  Create();
  SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
  EXPECT_EQ(Ini().ReadInteger("Defaults", "MaxThreads", -1), 50);
  EXPECT_FALSE(Ini().ReadString("Sender", "Sender1", "").empty());
}

TEST_F(ProgramEnd, LeavingFromTheTrayStoresTheWindowAsTheUserLeftIt) {
  for (int stored : {0, 2}) {
    dir.Write("Korvel.ini",
              "[Window Position]\r\nTop=30\r\nLeft=40\r\nWidth=500\r\nHeight=420\r\n"
              "[Window State]\r\nWindowState=" +
                  std::to_string(stored) + "\r\n");
    TKorvelForm& f = Create();
    f.ShowForm();
    ShowWindow(f.Handle(), SW_MINIMIZE);
    Pump();
    ASSERT_FALSE(IsWindowVisible(f.Handle())) << "in the tray";
    f.ExecuteCommand(ID_ACT_EXIT);
    Pump();
    ASSERT_EQ(form->Handle(), nullptr);
    EXPECT_EQ(Ini().ReadInteger("Window State", "WindowState", -1), stored);
    EXPECT_EQ(Ini().ReadInteger("Window Position", "Top", -1), 30);
    EXPECT_EQ(Ini().ReadInteger("Window Position", "Left", -1), 40);
    EXPECT_EQ(Ini().ReadInteger("Window Position", "Width", -1), 500);
    form.reset();

    // The next start shows the window again.
    TKorvelForm& next = Create();
    next.ShowForm();
    Pump();
    EXPECT_TRUE(IsWindowVisible(next.Handle()) && !IsIconic(next.Handle())) << stored;
    EXPECT_EQ(IsZoomed(next.Handle()) != 0, stored == 2);
    form.reset();
  }
}

TEST_F(ProgramEnd, AFolderOfAnyNameHoldsTheSettingsTheBookAndTheVersion) {
  const std::string folder = dir.Path("") + "\\Jürgen Ελένη Қазақ";
  ASSERT_TRUE(CreateDirectoryW(WidePath(folder).c_str(), nullptr));
  exe = folder + "\\Korvel.exe";
  ASSERT_EQ(ReplaceFileContents(folder + "\\Korvel.dat", "0 0 A\r\n"), WriteStatus::Ok);

  TKorvelForm& f = Create();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(TreeView_GetCount(f.AddressBook().TreeAddresses), 1u);
  AddGroup(f, "B");
  Close();
  EXPECT_TRUE(messages.empty());
  std::string text;
  ASSERT_EQ(ReadWholeFile(folder + "\\Korvel.dat", text), ReadStatus::Ok);
  EXPECT_EQ(text, "0 0 A\r\n0 0 B\r\n");
  ASSERT_EQ(ReadWholeFile(folder + "\\Korvel.ini", text), ReadStatus::Ok);
  EXPECT_NE(text.find("[Window State]"), std::string::npos);
  form.reset();

  // The settings written there lead the next start back to the same book.
  Create();
  EXPECT_EQ(TreeView_GetCount(form->AddressBook().TreeAddresses), 2u);
  form.reset();

  ASSERT_TRUE(CopyFileW(KorvelExePath().c_str(), WidePath(exe).c_str(), FALSE));
  EXPECT_EQ(GetVersionTextOf(exe, true), "Korvel " KORVEL_FILE_VERSION_TEXT);
  DeleteFileW(WidePath(exe).c_str());
}
