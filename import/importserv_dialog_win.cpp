// The server import wizard. Its tabs are hidden: the buttons alone change pages, and each
// page shows its own controls. The account list is read afresh each time page 2 is
// reached from page 1, the group list each time page 3 is shown.
#include "import/importserv_dialog_win.h"

#include <commctrl.h>

#include "base/controls_win.h"
#include "base/string_table.h"
#include "base/text_win.h"
#include "res/resource.h"

namespace korvel {

namespace {

constexpr int kComboRows = 8;

struct Page {
  int controls[7];
  int defaultButton;
};

// The controls of each page, the first one taking the focus; 0 ends a list.
constexpr Page kPages[] = {
    {{IDC_SRV_ED_SERVER, IDC_SRV_LABEL1, IDC_SRV_BUTTON3, IDC_SRV_BUTTON1, IDC_SRV_BUTTON2},
     IDC_SRV_BUTTON1},
    {{IDC_SRV_CHK_USER, IDC_SRV_LABEL3, IDC_SRV_BUTTON9, IDC_SRV_BUTTON7, IDC_SRV_BUTTON8},
     IDC_SRV_BUTTON7},
    {{IDC_CMB_GROUP, IDC_SRV_LABEL2, IDC_CHK_NEW_GROUP, IDC_ED_NEW_GROUP, IDC_SRV_BUTTON6,
      IDC_SRV_BUTTON4, IDC_SRV_BUTTON5},
     IDC_SRV_BUTTON4},
};

}  // namespace

bool TImportservDlg::ShowModal(HWND owner) {
  EnsureImportControls();
  return RunModal(owner, IDD_IMPORTSERV) == IDOK;
}

bool TImportservDlg::OnInit() {
  static const Place places[] = {
      {IDC_SRV_LABEL1, 8, 8, 286, 30},     {IDC_SRV_ED_SERVER, 8, 44, 254, 21},
      {IDC_SRV_BUTTON3, 266, 43, 28, 23},  {IDC_SRV_BUTTON1, 138, 147, 75, 25},
      {IDC_SRV_BUTTON2, 219, 147, 75, 25}, {IDC_SRV_LABEL3, 8, 8, 286, 15},
      {IDC_SRV_CHK_USER, 8, 26, 286, 113}, {IDC_SRV_BUTTON9, 57, 147, 75, 25},
      {IDC_SRV_BUTTON7, 138, 147, 75, 25}, {IDC_SRV_BUTTON8, 219, 147, 75, 25},
      {IDC_SRV_LABEL2, 8, 8, 286, 30},     {IDC_CMB_GROUP, 8, 42, 286, 22 + kComboRows * 18},
      {IDC_CHK_NEW_GROUP, 8, 74, 286, 17}, {IDC_ED_NEW_GROUP, 8, 94, 286, 21},
      {IDC_SRV_BUTTON6, 57, 147, 75, 25},  {IDC_SRV_BUTTON4, 138, 147, 75, 25},
      {IDC_SRV_BUTTON5, 219, 147, 75, 25},
  };
  Layout(302, 180, places);
  CenterOn(GetDesktopWindow());
  edServer_ = Item(IDC_SRV_ED_SERVER);
  chkUser_ = Item(IDC_SRV_CHK_USER);
  ListView_SetExtendedListViewStyle(chkUser_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  RECT list{};
  GetClientRect(chkUser_, &list);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = list.right - GetSystemMetrics(SM_CXVSCROLL);
  ListView_InsertColumn(chkUser_, 0, &column);
  picker_ = std::make_unique<GroupPicker>(hwnd_);
  FormCreate();
  return false;
}

void TImportservDlg::FormCreate() { ShowPage(0); }

void TImportservDlg::ShowPage(int page) {
  page_ = page;
  for (int p = 0; p < 3; ++p)
    if (p != page)
      for (int id : kPages[p].controls)
        if (id) ShowWindow(Item(id), SW_HIDE);
  for (int id : kPages[page].controls)
    if (id) ShowWindow(Item(id), SW_SHOW);
  // The default button of the page before keeps its look unless told otherwise.
  for (const Page& p : kPages) ButtonSetStyle(Item(p.defaultButton), BS_PUSHBUTTON);
  DialogSetDefaultButton(hwnd_, kPages[page].defaultButton);
  if (page == 2) TabSheet3Show();
  HWND focus = Item(kPages[page].controls[0]);
  if (page == 2 && picker_->NewGroupTicked()) focus = picker_->edNewGroup;
  DialogFocus(hwnd_, focus);
  UpdateWindow(hwnd_);
}

void TImportservDlg::OnClicked(int id) {
  switch (id) {
    case IDC_SRV_BUTTON3:
      Button3Click();
      break;
    case IDC_SRV_BUTTON1:
      if (page_ == 0) Button1Click();
      break;
    case IDC_SRV_BUTTON7:
      if (page_ == 1) Button7Click();
      break;
    case IDC_SRV_BUTTON9:
      Button9Click();
      break;
    case IDC_SRV_BUTTON6:
      Button6Click();
      break;
    case IDC_CHK_NEW_GROUP:
      actNewNameExecute();
      break;
    case IDC_SRV_BUTTON4:
      if (page_ == 2) Button4Click();
      break;
    case IDC_SRV_BUTTON2:
    case IDC_SRV_BUTTON8:
    case IDC_SRV_BUTTON5:
      End(IDCANCEL);
      break;
  }
}

// Enter where no default button is set: the pages' own buttons finish the wizard.
void TImportservDlg::OnOK() {}

void TImportservDlg::Button3Click() {
  const std::string name =
      PickFromNetwork(hwnd_, *data_.shell, LoadStr(IDS_SELECT_COMPUTER), BIF_BROWSEFORCOMPUTER);
  if (!name.empty()) SetWindowText1251(edServer_, name);
}

void TImportservDlg::Button1Click() {
  if (GetWindowTextLengthW(edServer_) == 0) {
    MessageBoxW(hwnd_, Widen(LoadStr(IDS_NEED_SERVER_NAME)).c_str(), L"Error",
                MB_OK | MB_ICONERROR);
    return;
  }
  ShowPage(1);
  EnumUsers();
}

void TImportservDlg::EnumUsers() {
  HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  lines_ = korvel::EnumUsers(*data_.users, GetWindowText1251(edServer_));
  SetCursor(before);
  SetRedraw(chkUser_, false);
  ListView_DeleteAllItems(chkUser_);
  for (const std::string& line : lines_) {
    std::wstring text = Widen(line);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(chkUser_);
    item.pszText = text.data();
    int index = ListView_InsertItem(chkUser_, &item);
    if (index >= 0) ListView_SetCheckState(chkUser_, index, TRUE);
  }
  // Space ticks and unticks from the first line on.
  if (!lines_.empty()) ListView_SetItemState(chkUser_, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  SetRedraw(chkUser_, true);
  InvalidateRect(chkUser_, nullptr, TRUE);
}

void TImportservDlg::Button7Click() { ShowPage(2); }
void TImportservDlg::Button9Click() { ShowPage(0); }
void TImportservDlg::Button6Click() { ShowPage(1); }

void TImportservDlg::TabSheet3Show() {
  picker_->Fill(ListGroups(*data_.tree));
  UpdateFinish();
}

void TImportservDlg::actNewNameExecute() {
  picker_->actNewNameExecute();
  UpdateFinish();
}

void TImportservDlg::UpdateFinish() { EnableWindow(Item(IDC_SRV_BUTTON4), picker_->HasTarget()); }

void TImportservDlg::Button4Click() {
  if (!picker_->HasTarget()) return;
  std::vector<std::string> ticked;
  for (size_t i = 0; i < lines_.size(); ++i)
    if (ListView_GetCheckState(chkUser_, static_cast<UINT>(i))) ticked.push_back(lines_[i]);
  data_.addedAtDepth = AddToTarget(*data_.tree, picker_->Target(), ticked, kAddressNode);
  End(IDOK);
}

bool ShowImportservDialog(HWND owner, ImportservData& inOut) {
  TImportservDlg dialog(inOut);
  return dialog.ShowModal(owner);
}

}  // namespace korvel
