// TSelectAddrGroupDlg: the target group chooser. It asks into which group imported
// addresses go: one picked from the list of the tree's groups, or a new one by name.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "base/dialog_win.h"
#include "import/group_picker_win.h"

namespace korvel {

struct SelectAddrGroupData {
  std::vector<GroupChoice> groups;  // in: the list, in tree order
  // Out, after OK: the new group asked for (with its name as typed), or the group of the
  // list's item picked (the node it was listed from, so that of two groups of one name the
  // one picked gets the address).
  ImportTarget target;
};

class TSelectAddrGroupDlg : public Dialog {
 public:
  explicit TSelectAddrGroupDlg(SelectAddrGroupData& data) : data_(data) {}
  bool ShowModal(HWND owner);

 protected:
  bool OnInit() override;
  void OnClicked(int id) override;
  void OnOK() override;

 private:
  void FormCreate();
  void UpdateOk();

  SelectAddrGroupData& data_;
  std::unique_ptr<GroupPicker> picker_;
};

// Shows the chooser over `owner`; true when it was closed with OK, and there is a target.
bool ShowSelectAddrGroupDialog(HWND owner, SelectAddrGroupData& inOut);

}  // namespace korvel
