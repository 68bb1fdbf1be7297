// TImportCommands: the commands that bring addresses into the address book from the
// scanner's files, the network and a server's user accounts.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>

namespace korvel {

class TAddressBookPane;

class TImportCommands {
 public:
  // `scannerFolder` belongs to the main window and outlives the commands.
  TImportCommands(HWND owner, TAddressBookPane& addressBook, const std::string& scannerFolder);
  TImportCommands(const TImportCommands&) = delete;
  TImportCommands& operator=(const TImportCommands&) = delete;

  void actImportOxternExecute();
  bool actImportOxternUpdate() const;
  void actImportNetExecute();
  void actImportGroupNetExecute();
  void actImportUserNetExecute();

  // The open-file dialog of the scanner import, configured once.
  OPENFILENAMEW& OpenDialogImport() { return openDialogImport_; }

 private:
  HWND owner_;
  TAddressBookPane& addressBook_;
  const std::string& scannerFolder_;
  OPENFILENAMEW openDialogImport_{};
  wchar_t importFileName_[MAX_PATH] = {};
};

}  // namespace korvel
