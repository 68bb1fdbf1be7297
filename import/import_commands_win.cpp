// The import commands of the address book.
#include "import/import_commands_win.h"

#include "addressbook/address_book_pane_win.h"

namespace korvel {

TImportCommands::TImportCommands(HWND owner, TAddressBookPane& addressBook,
                                 const std::string& scannerFolder)
    : owner_(owner), addressBook_(addressBook), scannerFolder_(scannerFolder) {
  static const wchar_t kFilter[] = L"Файлs Oxtern\0*.cmp\0";  // a Latin s, as the scanner spells it
  OPENFILENAMEW& d = openDialogImport_;
  d.lStructSize = sizeof d;
  d.hwndOwner = owner_;
  d.lpstrFilter = kFilter;
  d.nFilterIndex = 1;
  d.lpstrFile = importFileName_;
  d.nMaxFile = MAX_PATH;
  d.lpstrTitle = L"Импортировать из файла";
  d.lpstrDefExt = L"cmp";
  d.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
            OFN_ENABLESIZING | OFN_EXPLORER;
}

bool TImportCommands::actImportOxternUpdate() const { return !scannerFolder_.empty(); }

// The imports are built on top of this class; until then the commands do nothing.
void TImportCommands::actImportOxternExecute() {}
void TImportCommands::actImportNetExecute() {}
void TImportCommands::actImportGroupNetExecute() {}
void TImportCommands::actImportUserNetExecute() {}

}  // namespace korvel
