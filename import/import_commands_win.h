// TImportCommands: the commands that bring addresses into the address book from the
// scanner's files, the network and a server's user accounts.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>

#include "import/network_browse_win.h"
#include "import/server_users.h"

namespace korvel {

class TAddressBookPane;

// The open-file dialog's call.
struct FileDialogs {
  virtual ~FileDialogs() = default;
  virtual BOOL GetOpenFileNameW(OPENFILENAMEW* dialog) = 0;
};

FileDialogs& SystemFileDialogs();

// The system's services the imports reach.
struct ImportServices {
  NetworkShell* networkShell;
  UserEnumerator* userEnumerator;
  FileDialogs* fileDialogs;
};

class TImportCommands {
 public:
  // `scannerFolder` belongs to the main window and outlives the commands.
  TImportCommands(HWND owner, TAddressBookPane& addressBook, const std::string& scannerFolder,
                  ImportServices services);
  TImportCommands(const TImportCommands&) = delete;
  TImportCommands& operator=(const TImportCommands&) = delete;

  void actImportOxternExecute();
  bool actImportOxternUpdate() const;
  void actImportNetExecute();
  void actImportGroupNetExecute();
  void actImportUserNetExecute();

  // Asks for the target group and adds one node with `text` (Windows-1251) and `kind` to
  // it; nothing when the user cancels.
  void AddNewNode(const std::string& text, int kind);

  // The open-file dialog of the scanner import, configured once.
  OPENFILENAMEW& OpenDialogImport() { return openDialogImport_; }

 private:
  void ImportFromNetwork(unsigned titleId, UINT flags, int kind);

  HWND owner_;
  TAddressBookPane& addressBook_;
  const std::string& scannerFolder_;
  ImportServices services_;
  OPENFILENAMEW openDialogImport_{};
  wchar_t importFileName_[MAX_PATH] = {};
  std::wstring initialDir_;
};

}  // namespace korvel
