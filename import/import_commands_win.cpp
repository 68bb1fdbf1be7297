// The import commands of the address book.
#include "import/import_commands_win.h"

#include "addressbook/address_book_pane_win.h"
#include "base/controls_win.h"
#include "base/errors.h"
#include "base/string_table.h"
#include "base/text_win.h"
#include "import/import_target.h"
#include "import/importserv_dialog_win.h"
#include "import/scanner_file.h"
#include "import/select_addr_group_dialog_win.h"

namespace korvel {

namespace {

class SystemDialogs final : public FileDialogs {
 public:
  BOOL GetOpenFileNameW(OPENFILENAMEW* dialog) override { return ::GetOpenFileNameW(dialog); }
};

}  // namespace

FileDialogs& SystemFileDialogs() {
  static SystemDialogs dialogs;
  return dialogs;
}

TImportCommands::TImportCommands(HWND owner, TAddressBookPane& addressBook,
                                 const std::string& scannerFolder, ImportServices services)
    : owner_(owner), addressBook_(addressBook), scannerFolder_(scannerFolder), services_(services) {
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

void TImportCommands::actImportOxternExecute() {
  initialDir_ = Widen(ScannerAddressFolder(scannerFolder_));
  openDialogImport_.lpstrInitialDir = initialDir_.c_str();
  if (!services_.fileDialogs->GetOpenFileNameW(&openDialogImport_)) return;
  TreeFileResult r;
  {
    // The tree is drawn once, when the whole file of nodes is in.
    const RedrawPaused batch(addressBook_.TreeAddresses);
    r = ImportScannerFile(Utf8Path(importFileName_), addressBook_.Tree());
  }
  addressBook_.NoteDepth(r.deepest);
  if (r.status == TreeFileStatus::Failed) throw KorvelError(r.error);
}

void TImportCommands::actImportNetExecute() {
  ImportFromNetwork(IDS_SELECT_COMPUTER, BIF_BROWSEFORCOMPUTER, kComputerNode);
}

void TImportCommands::actImportGroupNetExecute() {
  ImportFromNetwork(IDS_SELECT_GROUP, BIF_DONTGOBELOWDOMAIN, kWorkgroupNode);
}

void TImportCommands::ImportFromNetwork(unsigned titleId, UINT flags, int kind) {
  const std::string name =
      PickFromNetwork(owner_, *services_.networkShell, LoadStr(titleId), flags);
  if (!name.empty()) AddNewNode(name, kind);
}

void TImportCommands::AddNewNode(const std::string& text, int kind) {
  SelectAddrGroupData data;
  data.groups = ListGroups(addressBook_.Tree());
  if (!ShowSelectAddrGroupDialog(owner_, data)) return;
  const int depth = AddToTarget(addressBook_.Tree(), data.target, {text}, kind);
  if (depth >= 0) addressBook_.NoteDepth(depth);
}

void TImportCommands::actImportUserNetExecute() {
  ImportservData data;
  data.tree = &addressBook_.Tree();
  data.shell = services_.networkShell;
  data.users = services_.userEnumerator;
  ShowImportservDialog(owner_, data);
  if (data.addedAtDepth >= 0) addressBook_.NoteDepth(data.addedAtDepth);
}

}  // namespace korvel
