// Picking one computer, workgroup or domain from the network neighbourhood with the
// shell's browse dialog, for the network imports and the server import's "..." button.
// Where the shell cannot show the network (the folder is unavailable or lists nothing,
// as under Wine and on networks without discovery), the user types the name instead.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

namespace korvel {

// The shell's calls the browse makes. Texts are Windows-1251.
struct NetworkShell {
  virtual ~NetworkShell() = default;
  // SHGetSpecialFolderLocation: S_OK and an item list the caller frees with FreeIdList.
  virtual HRESULT GetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* list) = 0;
  // Whether the folder `list` shows anything to pick.
  virtual bool ListsAnything(PCIDLIST_ABSOLUTE list) = 0;
  // SHBrowseForFolderA: on OK the picked item's display name is in the record's buffer.
  virtual PIDLIST_ABSOLUTE BrowseForFolderA(BROWSEINFOA* info) = 0;
  virtual void FreeIdList(PIDLIST_ABSOLUTE list) = 0;
};

// The system's shell. The record's title holds Windows-1251 bytes; the shell is given it
// as a wide record and the display name comes back in Windows-1251, whatever the system's
// ANSI code page is.
NetworkShell& SystemNetworkShell();

// The display-name buffer the browse fills.
constexpr size_t kDisplayNameSize = 1025;

// Shows the browse dialog over `owner` with `title` and `flags` (BIF_BROWSEFORCOMPUTER or
// BIF_DONTGOBELOWDOMAIN), rooted at the network neighbourhood, and returns the display
// name picked; "" when the user cancelled.
std::string PickFromNetwork(HWND owner, NetworkShell& shell, const std::string& title, UINT flags);

}  // namespace korvel
