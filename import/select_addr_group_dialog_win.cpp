// The target group chooser. OK stays disabled while there is nowhere to go: no group
// listed and no new group asked for.
#include "import/select_addr_group_dialog_win.h"

#include <commctrl.h>

#include "res/resource.h"

namespace korvel {

namespace {
constexpr int kComboRows = 8;
}

bool TSelectAddrGroupDlg::ShowModal(HWND owner) {
  EnsureImportControls();
  return RunModal(owner, IDD_SELECT_ADDR_GROUP) == IDOK;
}

bool TSelectAddrGroupDlg::OnInit() {
  static const Place places[] = {
      {IDC_SEL_LABEL1, 8, 8, 291, 28},
      {IDC_CMB_GROUP, 8, 40, 291, 22 + kComboRows * 18},
      {IDC_CHK_NEW_GROUP, 8, 70, 291, 17},
      {IDC_ED_NEW_GROUP, 8, 90, 291, 21},
      {IDOK, 143, 119, 75, 25},
      {IDCANCEL, 224, 119, 75, 25},
  };
  Layout(307, 150, places);
  CenterOn(GetDesktopWindow());
  FormCreate();
  return true;
}

void TSelectAddrGroupDlg::FormCreate() {
  picker_ = std::make_unique<GroupPicker>(hwnd_);
  picker_->Fill(data_.groups);
  UpdateOk();
}

void TSelectAddrGroupDlg::UpdateOk() { EnableWindow(Item(IDOK), picker_->HasTarget()); }

void TSelectAddrGroupDlg::OnClicked(int id) {
  if (id != IDC_CHK_NEW_GROUP) return;
  picker_->actNewNameExecute();
  UpdateOk();
}

void TSelectAddrGroupDlg::OnOK() {
  // Enter reaches here even with the button disabled.
  if (!picker_->HasTarget()) return;
  data_.target = picker_->Target();
  Dialog::OnOK();
}

bool ShowSelectAddrGroupDialog(HWND owner, SelectAddrGroupData& inOut) {
  TSelectAddrGroupDlg dialog(inOut);
  return dialog.ShowModal(owner);
}

}  // namespace korvel
