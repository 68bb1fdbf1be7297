// The network browse and its typed-name stand-in.
#include "import/network_browse_win.h"

#include <cstring>

#include "base/text.h"
#include "base/text_win.h"
#include "import/type_name_dialog_win.h"

namespace korvel {

namespace {

// COM for the length of one shell call, where this thread has none yet.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

class SystemShell final : public NetworkShell {
 public:
  HRESULT GetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* list) override {
    return SHGetSpecialFolderLocation(owner, folder, list);
  }

  bool ListsAnything(PCIDLIST_ABSOLUTE list) override {
    ComScope com;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return false;
    IShellFolder* folder = nullptr;
    HRESULT hr =
        desktop->BindToObject(list, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
    desktop->Release();
    if (FAILED(hr) || !folder) return false;
    IEnumIDList* items = nullptr;
    bool any = false;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) == S_OK &&
        items) {
      PITEMID_CHILD item = nullptr;
      ULONG got = 0;
      any = items->Next(1, &item, &got) == S_OK && got == 1;
      if (item) CoTaskMemFree(item);
      items->Release();
    }
    folder->Release();
    return any;
  }

  PIDLIST_ABSOLUTE BrowseForFolderA(BROWSEINFOA* info) override {
    ComScope com;
    const std::wstring title = info->lpszTitle ? Widen(info->lpszTitle) : std::wstring();
    wchar_t name[MAX_PATH] = {};
    BROWSEINFOW wide{};
    wide.hwndOwner = info->hwndOwner;
    wide.pidlRoot = info->pidlRoot;
    wide.pszDisplayName = name;
    wide.lpszTitle = info->lpszTitle ? title.c_str() : nullptr;
    wide.ulFlags = info->ulFlags;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&wide);
    info->iImage = wide.iImage;
    if (info->pszDisplayName) {
      const std::string narrow = Narrow(std::wstring_view(name, wcsnlen(name, MAX_PATH)));
      std::memcpy(info->pszDisplayName, narrow.c_str(), narrow.size() + 1);
    }
    return picked;
  }

  void FreeIdList(PIDLIST_ABSOLUTE list) override { CoTaskMemFree(list); }
};

// An item list of the shell's, freed with it.
class IdList {
 public:
  explicit IdList(NetworkShell& shell) : shell_(shell) {}
  ~IdList() {
    if (list_) shell_.FreeIdList(list_);
  }
  IdList(const IdList&) = delete;
  IdList& operator=(const IdList&) = delete;
  PIDLIST_ABSOLUTE* Out() { return &list_; }
  PIDLIST_ABSOLUTE get() const { return list_; }

 private:
  NetworkShell& shell_;
  PIDLIST_ABSOLUTE list_ = nullptr;
};

std::string AskForName(HWND owner, const std::string& title, UINT flags) {
  TypeNameData data;
  data.title = title;
  data.workgroup = (flags & BIF_BROWSEFORCOMPUTER) == 0;
  return ShowTypeNameDialog(owner, data) ? data.name : std::string();
}

}  // namespace

NetworkShell& SystemNetworkShell() {
  static SystemShell shell;
  return shell;
}

std::string PickFromNetwork(HWND owner, NetworkShell& shell, const std::string& title, UINT flags) {
  char displayName[kDisplayNameSize] = {};
  IdList network(shell);
  if (FAILED(shell.GetSpecialFolderLocation(nullptr, CSIDL_NETWORK, network.Out())) ||
      !network.get() || !shell.ListsAnything(network.get()))
    return AskForName(owner, title, flags);

  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = network.get();
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = flags;
  IdList picked(shell);
  *picked.Out() = shell.BrowseForFolderA(&info);
  return std::string(displayName, strnlen(displayName, sizeof displayName));
}

}  // namespace korvel
