// What the import tests share: a main window whose shell, user enumeration and file
// dialog are scripted, and ways to drive the import dialogs from inside their loops.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "addressbook/recipient_file.h"
#include "addressbook/tree_view_win.h"
#include "base/dpi_win.h"
#include "base/text.h"
#include "import/import_commands_win.h"
#include "tests/win/win_test_util.h"

namespace korvel::test {

// A network neighbourhood that lists something, whose browse returns `pick` ("" for a
// cancel); it keeps what it was given.
struct ScriptedShell : NetworkShell {
  HRESULT folderResult = S_OK;
  bool listsAnything = true;
  std::string pick;
  PIDLIST_ABSOLUTE root = reinterpret_cast<PIDLIST_ABSOLUTE>(0x1000);
  PIDLIST_ABSOLUTE picked = reinterpret_cast<PIDLIST_ABSOLUTE>(0x2000);
  int browsed = 0;
  BROWSEINFOA info{};
  std::string title;
  bool bufferWasZero = false;
  std::vector<PIDLIST_ABSOLUTE> freed;

  HRESULT GetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* list) override {
    *list = SUCCEEDED(folderResult) && !owner && folder == CSIDL_NETWORK ? root : nullptr;
    return folderResult;
  }
  bool ListsAnything(PCIDLIST_ABSOLUTE list) override { return list == root && listsAnything; }
  PIDLIST_ABSOLUTE BrowseForFolderA(BROWSEINFOA* record) override {
    ++browsed;
    info = *record;
    title = record->lpszTitle;
    bufferWasZero = std::string(record->pszDisplayName, kDisplayNameSize) ==
                    std::string(kDisplayNameSize, '\0');
    memcpy(record->pszDisplayName, pick.c_str(), pick.size() + 1);
    return pick.empty() ? nullptr : picked;
  }
  void FreeIdList(PIDLIST_ABSOLUTE list) override { freed.push_back(list); }
};

// A server whose accounts come from a script, one answer per call, "not found" after it.
struct ScriptedServer : UserEnumerator {
  std::vector<std::pair<uint32_t, std::vector<UserAccount>>> answers;
  std::vector<std::string> asked;
  size_t next = 0;
  uint32_t Enumerate(const std::string& server, int, uint32_t& resume,
                     std::vector<UserAccount>& accounts) override {
    asked.push_back(server);
    if (next >= answers.size()) return 2351;
    accounts = answers[next].second;
    resume = static_cast<uint32_t>(next + 1);  // moves on with every page, as a server's does
    return answers[next++].first;
  }
};

// An open-file dialog that answers `file`, or cancels when it is empty.
struct ScriptedFileDialog : FileDialogs {
  std::wstring file, initialDir;
  int shown = 0;
  BOOL GetOpenFileNameW(OPENFILENAMEW* dialog) override {
    ++shown;
    initialDir = dialog->lpstrInitialDir;
    wcsncpy(dialog->lpstrFile, file.c_str(), dialog->nMaxFile);
    return !file.empty();
  }
};

class ImportFixture : public FormFixture {
 public:
  ImportFixture() {
    services.networkShell = &shell;
    services.userEnumerator = &server;
    services.fileDialogs = &files;
  }
  // Writes the book (UTF-8 here, Windows-1251 on disk) and starts the window on it.
  void Start(const char* book) {
    dir.Write("Korvel.dat", Cp(book));
    Create();
  }
  TreeViewTree Tree() { return TreeViewTree(form->AddressBook().TreeAddresses); }
  // The tree as the book file would hold it, in UTF-8.
  std::string Book() {
    TreeViewTree tree = Tree();
    return Utf8FromCp1251(SerializeTree(tree));
  }
  void Execute(int command) {
    SendMessageW(form->Handle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
  }

  ScriptedShell shell;
  ScriptedServer server;
  ScriptedFileDialog files;
};

// The modal dialog on top: the visible one no other dialog disables.
inline HWND ModalOnTop() {
  for (HWND d : OpenDialogs())
    if (IsWindowEnabled(d)) return d;
  return nullptr;
}

// Presses a button the way a click does.
inline void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Sends the command a button or the Enter key gives, even with the button disabled.
inline void Command(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline void SetText(HWND dialog, int id, const wchar_t* text) {
  SetWindowTextW(GetDlgItem(dialog, id), text);
}

// The texts of an extended combo box's items; `images` gets each item's image when its
// selected image is the same, -1 otherwise.
inline std::vector<std::wstring> ComboTexts(HWND combo, std::vector<int>* images = nullptr) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)); ++i) {
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

// The client size of a window in pixels at 96 DPI.
inline SIZE ClientSize96(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {Unscale(r.right, DpiOf(window)), Unscale(r.bottom, DpiOf(window))};
}

}  // namespace korvel::test
