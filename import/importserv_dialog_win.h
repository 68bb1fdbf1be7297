// TImportservDlg: the server import wizard. Page 1 asks for the server, page 2 lists its
// user accounts to tick, page 3 asks for the target group; "Закончить" adds the ticked
// accounts to it as address nodes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "addressbook/address_tree.h"
#include "base/dialog_win.h"
#include "import/group_picker_win.h"
#include "import/network_browse_win.h"
#include "import/server_users.h"

namespace korvel {

struct ImportservData {
  AddressTree* tree = nullptr;  // listed on page 3, added to at the end
  NetworkShell* shell = nullptr;
  UserEnumerator* users = nullptr;
  int addedAtDepth = -1;  // out: where the accounts went (top level 0); -1 when nowhere
};

class TImportservDlg : public Dialog {
 public:
  explicit TImportservDlg(ImportservData& data) : data_(data) {}
  bool ShowModal(HWND owner);

  // The page shown now: 0, 1 or 2.
  int ActivePage() const { return page_; }

 protected:
  bool OnInit() override;
  void OnClicked(int id) override;
  void OnOK() override;

 private:
  void FormCreate();
  void Button3Click();
  void Button1Click();
  void Button7Click();
  void Button9Click();
  void Button6Click();
  void TabSheet3Show();
  void actNewNameExecute();
  void Button4Click();
  void EnumUsers();

  void ShowPage(int page);
  void UpdateFinish();

  ImportservData& data_;
  std::unique_ptr<GroupPicker> picker_;
  HWND edServer_ = nullptr;
  HWND chkUser_ = nullptr;
  std::vector<std::string> lines_;  // chkUser's lines, in its order
  int page_ = 0;
};

// Shows the wizard over `owner`; true when it finished with "Закончить".
bool ShowImportservDialog(HWND owner, ImportservData& inOut);

}  // namespace korvel
