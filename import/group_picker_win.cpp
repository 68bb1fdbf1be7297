// The target group controls shared by the chooser and the server import.
#include "import/group_picker_win.h"

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
  SendMessageW(cmbGroup, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageList1_.Get()));
  Button_SetCheck(chkNewGroup, BST_UNCHECKED);
  EnableWindow(edNewGroup, FALSE);
}

GroupPicker::~GroupPicker() {
  // The list goes after the box has let it go.
  if (IsWindow(cmbGroup)) SendMessageW(cmbGroup, CBEM_SETIMAGELIST, 0, 0);
}

void GroupPicker::Fill(std::vector<GroupChoice> groups) {
  groups_ = std::move(groups);
  SendMessageW(cmbGroup, CB_RESETCONTENT, 0, 0);
  for (const GroupChoice& g : groups_) {
    std::wstring text = Widen(g.text);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
    item.iItem = -1;
    item.pszText = text.data();
    item.iImage = item.iSelectedImage = 0;
    SendMessageW(cmbGroup, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(cmbGroup, CB_SETCURSEL, groups_.empty() ? static_cast<WPARAM>(-1) : 0, 0);
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

int GroupPicker::ItemIndex() const {
  return static_cast<int>(SendMessageW(cmbGroup, CB_GETCURSEL, 0, 0));
}

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
