// The scanner import in the main window: the open dialog as configured, the file's tree
// appended to the address book, a bad entry reported with what came before kept, and a
// very deep file taken down safely when the window closes.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "base/text_win.h"
#include "res/resource.h"
#include "tests/win/import_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class ScannerImport : public ::testing::Test, public ImportFixture {
 protected:
  void StartWithScanner(const char* book) {
    key.Set(L"C:\\Program Files\\Scan");
    Start(book);
  }
  // Imports `file` (UTF-8 here, Windows-1251 on disk) through the command.
  void Import(const char* file) {
    dir.Write("net.cmp", Cp(file));
    files.file = WidePath(dir.Path("net.cmp"));
    Execute(ID_ACT_IMPORT_OXTERN);
  }
  bool TreeDrawn() {
    return GetWindowLongW(form->AddressBook().TreeAddresses, GWL_STYLE) & WS_VISIBLE;
  }
  ScannerKey key;
};

}  // namespace

TEST_F(ScannerImport, TheFilesTreeIsAppendedAndABadEntryStopsKeepingWhatCameBefore) {
  StartWithScanner("0 0 Office\r\n1 2 PC1\r\n");
  Import("0 0 Office\r\n1 5 192.168.0.2 (PC2)\r\n0 8 Бухгалтерия\r\n  1   7   БУХ-ПК   \r\n\r\n");
  EXPECT_EQ(files.initialDir, L"C:\\Program Files\\Scan\\IpAddresses\\");
  EXPECT_TRUE(messages.empty());
  Import("0 0 A\r\n1 5 a\r\n1 x b\r\n0 0 B\r\n");
  EXPECT_TRUE(TreeDrawn());
  Import("0 0 C\r\n-1 5 c\r\n");
  EXPECT_EQ(messages, (std::vector<std::string>{"Invalid numeric input", "Invalid numeric input"}));
  EXPECT_TRUE(TreeDrawn());
  EXPECT_EQ(Book(),
            "0 0 Office\r\n1 2 PC1\r\n0 0 Office\r\n1 2 192.168.0.2 (PC2)\r\n0 0 Бухгалтерия\r\n"
            "1 2 БУХ-ПК\r\n0 0 A\r\n1 2 a\r\n0 0 C\r\n");
}

TEST_F(ScannerImport, CancelAMissingFileOrNoScannerChangeNothing) {
  StartWithScanner("0 0 Old\r\n");
  files.file.clear();
  Execute(ID_ACT_IMPORT_OXTERN);
  EXPECT_EQ(files.shown, 1);
  files.file = WidePath(dir.Path("gone.cmp"));
  Execute(ID_ACT_IMPORT_OXTERN);
  EXPECT_EQ(files.shown, 2);
  EXPECT_EQ(Book(), "0 0 Old\r\n");
  EXPECT_TRUE(messages.empty());
  form.reset();

  key.Set(L"");
  Create();
  Execute(ID_ACT_IMPORT_OXTERN);
  EXPECT_EQ(files.shown, 2);
}

TEST_F(ScannerImport, AFileNestedDeeperThanAnyStackIsTakenDownSafely) {
  // Without being told how deep the import went, the tree control would take this chain
  // down one stack frame per level when the window closes, and overflow.
  constexpr int kDepth = 16000;
  std::string file;
  for (int d = 0; d < kDepth; ++d) file += std::to_string(d) + " 0 g\r\n";
  StartWithScanner("");
  Import(file.c_str());
  EXPECT_EQ(TreeView_GetCount(form->AddressBook().TreeAddresses), static_cast<UINT>(kDepth));
  Close();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dir.Read("Korvel.dat"), file);
}

TEST_F(ScannerImport, TheSystemsOpenDialogIsShownAsConfigured) {
  services.fileDialogs = &SystemFileDialogs();
  StartWithScanner("");
  dir.Write("net.cmp", "0 0 Lab\r\n1 5 PC9\r\n");
  std::wstring title;
  WhenDialogOpens([&](HWND d) {
    title = TextOf(d);
    HWND name = GetDlgItem(d, 0x47c);  // the file name box
    if (HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr)) name = edit;
    SetWindowTextW(name, WidePath(dir.Path("net.cmp")).c_str());
    SendMessageW(d, WM_COMMAND, IDOK, 0);
  });
  Execute(ID_ACT_IMPORT_OXTERN);
  EXPECT_EQ(title, L"Импортировать из файла");
  EXPECT_EQ(Book(), "0 0 Lab\r\n1 2 PC9\r\n");
}
