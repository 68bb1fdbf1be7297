// The typed network name: OK is enabled once the box holds a name.
#include "import/type_name_dialog_win.h"

#include "base/controls_win.h"
#include "base/text.h"
#include "base/text_win.h"
#include "res/resource.h"

namespace korvel {

namespace {
constexpr int kMaxName = 255;
}

bool TTypeNameDlg::ShowModal(HWND owner) {
  owner_ = owner;
  return RunModal(owner, IDD_TYPE_NAME) == IDOK;
}

bool TTypeNameDlg::OnInit() {
  static const Place places[] = {
      {IDC_NAME_PROMPT, 8, 8, 280, 28},
      {IDC_NAME_EDIT, 8, 40, 280, 21},
      {IDOK, 132, 70, 75, 25},
      {IDCANCEL, 213, 70, 75, 25},
  };
  Layout(296, 103, places);
  if (owner_) CenterOn(owner_);
  SetWindowText1251(hwnd_, data_.title);
  SetWindowTextW(Item(IDC_NAME_PROMPT),
                 data_.workgroup
                     ? L"Не удалось показать сеть. Введите имя рабочей группы или домена:"
                     : L"Не удалось показать сеть. Введите имя компьютера:");
  EditLimitText(Item(IDC_NAME_EDIT), kMaxName);
  EnableWindow(Item(IDOK), FALSE);
  return true;
}

// The bare name. A computer typed as a path (\\PC9) loses its backslashes, and a
// workgroup its "*": its node adds that to the recipient itself, and "HOME*" would
// become "HOME**".
std::string TTypeNameDlg::TypedName() const {
  std::string name = Trim(GetWindowText1251(Item(IDC_NAME_EDIT)));
  const size_t start = name.find_first_not_of('\\');
  name.erase(0, start == std::string::npos ? name.size() : start);
  if (data_.workgroup) name.erase(name.find_last_not_of('*') + 1);
  return Trim(name);
}

void TTypeNameDlg::OnEditChanged(int id) {
  if (id == IDC_NAME_EDIT) EnableWindow(Item(IDOK), !TypedName().empty());
}

void TTypeNameDlg::OnOK() {
  data_.name = TypedName();
  // Enter reaches here even with the button disabled.
  if (!data_.name.empty()) Dialog::OnOK();
}

bool ShowTypeNameDialog(HWND owner, TypeNameData& inOut) {
  TTypeNameDlg dialog(inOut);
  return dialog.ShowModal(owner);
}

}  // namespace korvel
