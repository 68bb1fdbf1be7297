// The options dialog: a radio group of two items in a lowered panel with a standing
// warning in maroon, and the buttons below it first in the Tab order.
#include "dialogs/options_dialog_win.h"

#include "base/dialog_win.h"
#include "res/resource.h"

namespace korvel {

namespace {

constexpr int kWidth = 313, kHeight = 163;
constexpr RECT kPanel2{0, 0, 313, 120};
constexpr COLORREF kMaroon = RGB(128, 0, 0);
// The radio group fills the top of the panel inside its bevel; its items share its height
// below the caption line.
constexpr Dialog::Place kPlaces[] = {
    {IDOK, 79, 130, 75, 25},
    {IDCANCEL, 159, 130, 75, 25},
    {IDC_OPT_WHAT_SEND, 1, 1, 311, 58},
    {IDC_OPT_OWN_NAME, 9, 15, 301, 20},
    {IDC_OPT_OTHER_NAME, 9, 35, 301, 20},
    {IDC_OPT_LABEL3, 8, 69, 261, 26},
};

class TDlgOptions : public Dialog {
 public:
  // A radio group clamps its item index to its items.
  explicit TDlgOptions(uint8_t whatSend) : itemIndex_(whatSend == 0 ? 0 : 1) {}

  bool Show(HWND owner) {
    owner_ = owner;
    return RunModal(owner, IDD_OPTIONS) == IDOK;
  }
  int ItemIndex() const { return itemIndex_; }

 protected:
  bool OnInit() override {
    Layout(kWidth, kHeight, kPlaces);
    CheckRadioButton(hwnd_, IDC_OPT_OWN_NAME, IDC_OPT_OTHER_NAME,
                     itemIndex_ == 0 ? IDC_OPT_OWN_NAME : IDC_OPT_OTHER_NAME);
    CenterOn(owner_);
    return true;  // the focus goes to the first Tab stop, OK
  }

  void OnOK() override {
    itemIndex_ = IsDlgButtonChecked(hwnd_, IDC_OPT_OWN_NAME) ? 0 : 1;
    Dialog::OnOK();
  }

  HBRUSH OnStaticColor(HDC dc, HWND control) override {
    if (control != Item(IDC_OPT_LABEL3)) return nullptr;
    SetTextColor(dc, kMaroon);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
  }

  void OnPaint(HDC dc) override {
    RECT panel{Scale(kPanel2.left), Scale(kPanel2.top), Scale(kPanel2.right),
               Scale(kPanel2.bottom)};
    DrawEdge(dc, &panel, BDR_SUNKENINNER, BF_RECT);
  }

 private:
  int itemIndex_;
  HWND owner_ = nullptr;
};

}  // namespace

bool ShowOptionsDialog(HWND owner, uint8_t& whatSend) {
  TDlgOptions DlgOptions(whatSend);
  if (!DlgOptions.Show(owner)) return false;
  whatSend = static_cast<uint8_t>(DlgOptions.ItemIndex());
  return true;
}

}  // namespace korvel
