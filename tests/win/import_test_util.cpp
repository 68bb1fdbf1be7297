#include "tests/win/import_test_util.h"

#include <commctrl.h>

#include "addressbook/recipient_file.h"
#include "base/dpi_win.h"
#include "base/text.h"
#include "base/text_win.h"

namespace korvel::test {

HRESULT ScriptedShell::GetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* list) {
  folderOwner = owner;
  folderAsked = folder;
  *list = SUCCEEDED(folderResult) ? root : nullptr;
  return folderResult;
}

bool ScriptedShell::ListsAnything(PCIDLIST_ABSOLUTE list) { return list == root && listsAnything; }

PIDLIST_ABSOLUTE ScriptedShell::BrowseForFolderA(BROWSEINFOA* record) {
  ++browsed;
  info = *record;
  title = record->lpszTitle ? record->lpszTitle : "";
  nonZeroBytes = 0;
  for (size_t i = 0; i < kDisplayNameSize; ++i) nonZeroBytes += record->pszDisplayName[i] != 0;
  memcpy(record->pszDisplayName, pick.c_str(), pick.size() + 1);
  return pick.empty() ? nullptr : picked;
}

uint32_t ScriptedServer::Enumerate(const std::string& name, int, uint32_t& resume,
                                   std::vector<UserAccount>& accounts) {
  servers.push_back(name);
  if (next >= answers.size()) return 2351;
  const Answer& a = answers[next++];
  accounts = a.accounts;
  resume = a.resume;
  return a.status;
}

BOOL ScriptedFileDialog::GetOpenFileNameW(OPENFILENAMEW* dialog) {
  ++shown;
  initialDir = dialog->lpstrInitialDir ? dialog->lpstrInitialDir : L"";
  if (file.empty()) return FALSE;
  wcsncpy(dialog->lpstrFile, file.c_str(), dialog->nMaxFile);
  return TRUE;
}

ImportFixture::ImportFixture() {
  services.networkShell = &shell;
  services.userEnumerator = &server;
  services.fileDialogs = &files;
}

void ImportFixture::Start(const char* book) {
  dir.Write("Korvel.dat", Cp(book));
  Create();
}

std::string ImportFixture::Book() {
  TreeViewTree tree = Tree();
  return Utf8FromCp1251(SerializeTree(tree));
}

void ImportFixture::Execute(int command) {
  SendMessageW(form->Handle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
}

HWND ModalOnTop() {
  for (HWND d : OpenDialogs())
    if (IsWindowEnabled(d)) return d;
  return nullptr;
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Command(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::vector<std::wstring> ComboTexts(HWND combo, std::vector<int>* images) {
  std::vector<std::wstring> texts;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    texts.push_back(text);
    if (images) images->push_back(item.iImage == item.iSelectedImage ? item.iImage : -1);
  }
  return texts;
}

SIZE ClientSize96(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  UINT dpi = DpiOf(window);
  return {Unscale(r.right, dpi), Unscale(r.bottom, dpi)};
}

}  // namespace korvel::test
