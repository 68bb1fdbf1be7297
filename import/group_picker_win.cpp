// The target group controls shared by the chooser and the server import.
#include "import/group_picker_win.h"

#include "base/controls_win.h"
#include "base/handles_win.h"
#include "base/string_table.h"
#include "base/text_win.h"
#include "res/resource.h"

namespace korvel {

namespace {
// The group image of the address tree's node images.
HIMAGELIST GroupImages() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 0);
  const Bitmap bmp(
      static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_NODES),
                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (bmp) ImageList_Add(list, bmp, nullptr);
  return list;
}
}  // namespace

void EnsureImportControls() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}

GroupPicker::GroupPicker(HWND dialog)
    : cmbGroup(GetDlgItem(dialog, IDC_CMB_GROUP)),
      chkNewGroup(GetDlgItem(dialog, IDC_CHK_NEW_GROUP)),
      edNewGroup(GetDlgItem(dialog, IDC_ED_NEW_GROUP)),
      ImageList1_(GroupImages()) {
  ComboExSetImages(cmbGroup, ImageList1_);
  Button_SetCheck(chkNewGroup, BST_UNCHECKED);
  EnableWindow(edNewGroup, FALSE);
}

GroupPicker::~GroupPicker() {
  // The list goes after the box has let it go.
  if (IsWindow(cmbGroup)) ComboExSetImages(cmbGroup, nullptr);
}

void GroupPicker::Fill(std::vector<GroupChoice> groups) {
  groups_ = std::move(groups);
  ComboClear(cmbGroup);
  for (const GroupChoice& g : groups_) ComboExAdd(cmbGroup, g.text, 0);
  ComboSelect(cmbGroup, groups_.empty() ? -1 : 0);
}

void GroupPicker::actNewNameExecute() {
  const bool ticked = NewGroupTicked();
  EnableWindow(edNewGroup, ticked);
  EnableWindow(cmbGroup, !ticked);
  if (ticked && GetWindowTextLengthW(edNewGroup) == 0)
    SetWindowText1251(edNewGroup, LoadStr(IDS_NEW_GROUP));
}

bool GroupPicker::NewGroupTicked() const { return Button_GetCheck(chkNewGroup) == BST_CHECKED; }

bool GroupPicker::HasTarget() const { return NewGroupTicked() || ItemIndex() >= 0; }

int GroupPicker::ItemIndex() const { return ComboSelection(cmbGroup); }

ImportTarget GroupPicker::Target() const {
  ImportTarget target;
  target.newGroup = NewGroupTicked();
  if (target.newGroup) {
    target.newGroupName = GetWindowText1251(edNewGroup);
    return target;
  }
  const int index = ItemIndex();
  if (index >= 0 && index < static_cast<int>(groups_.size())) target.group = groups_[index].node;
  return target;
}

}  // namespace korvel
