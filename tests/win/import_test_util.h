// What the import tests share: a main window whose shell, user enumeration and file
// dialog are scripted, and ways to drive the import dialogs from inside their loops.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "addressbook/tree_view_win.h"
#include "import/import_commands_win.h"
#include "import/network_browse_win.h"
#include "import/server_users.h"
#include "tests/win/win_test_util.h"

namespace korvel::test {

// A shell whose network neighbourhood lists something and whose browse returns `pick`
// ("" for a cancel). It keeps what it was given.
struct ScriptedShell : NetworkShell {
  HRESULT folderResult = S_OK;
  bool listsAnything = true;
  std::string pick;

  PIDLIST_ABSOLUTE root = reinterpret_cast<PIDLIST_ABSOLUTE>(0x1000);
  PIDLIST_ABSOLUTE picked = reinterpret_cast<PIDLIST_ABSOLUTE>(0x2000);
  int folderAsked = -1;
  HWND folderOwner = reinterpret_cast<HWND>(1);
  int browsed = 0;
  BROWSEINFOA info{};
  std::string title;
  size_t nonZeroBytes = 0;  // in the display-name buffer when the browse began
  std::vector<PIDLIST_ABSOLUTE> freed;

  HRESULT GetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* list) override;
  bool ListsAnything(PCIDLIST_ABSOLUTE list) override;
  PIDLIST_ABSOLUTE BrowseForFolderA(BROWSEINFOA* record) override;
  void FreeIdList(PIDLIST_ABSOLUTE list) override { freed.push_back(list); }
};

// A server whose accounts come from a script, one answer per call.
struct ScriptedServer : UserEnumerator {
  struct Answer {
    uint32_t status;
    std::vector<UserAccount> accounts;
    uint32_t resume = 0;
  };
  std::vector<Answer> answers;
  std::vector<std::string> servers;  // asked for, in order
  size_t next = 0;

  uint32_t Enumerate(const std::string& server, int level, uint32_t& resume,
                     std::vector<UserAccount>& accounts) override;
};

// An open-file dialog that answers `file` (a wide path), or cancels when it is empty.
struct ScriptedFileDialog : FileDialogs {
  std::wstring file;
  std::wstring initialDir;
  int shown = 0;
  BOOL GetOpenFileNameW(OPENFILENAMEW* dialog) override;
};

class ImportFixture : public FormFixture {
 public:
  ImportFixture();
  // Writes the book (UTF-8 here, Windows-1251 on disk) and starts the window on it.
  void Start(const char* book);
  // The tree as the book file would hold it, in UTF-8.
  std::string Book();
  TreeViewTree Tree() { return TreeViewTree(form->AddressBook().TreeAddresses); }
  void Execute(int command);

  ScriptedShell shell;
  ScriptedServer server;
  ScriptedFileDialog files;
};

// The modal dialog on top: the visible one that is not disabled by another.
HWND ModalOnTop();
// Presses a button the way a click does.
void Click(HWND dialog, int id);
// Sends the command a button or key gives, even when the button is disabled.
void Command(HWND dialog, int id);
// The texts and images of an extended combo box's items.
std::vector<std::wstring> ComboTexts(HWND combo, std::vector<int>* images = nullptr);
// The client size of a window in pixels at 96 DPI.
SIZE ClientSize96(HWND window);

}  // namespace korvel::test
