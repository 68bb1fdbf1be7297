// The repeat dialog: the count and the interval, each an edit box with an up-down
// control, in a framed bevel, over OK and Cancel.
#include "sending/param_send_dialog_win.h"

#include <commctrl.h>

#include "base/controls_win.h"
#include "base/dialog_win.h"
#include "res/resource.h"

namespace korvel {

namespace {

constexpr int kWidth = 258, kHeight = 165;
constexpr RECT kBevel1{8, 8, 250, 121};
constexpr Dialog::Place kPlaces[] = {
    {IDC_PARAM_LABEL1, 20, 44, 126, 13},
    {IDC_PARAM_EDIT1, 150, 40, 41, 21},
    {IDC_PARAM_UPDOWN1, 191, 40, 16, 21},
    {IDC_PARAM_LABEL3, 212, 44, 32, 13},
    {IDC_PARAM_LABEL2, 20, 80, 126, 13},
    {IDC_PARAM_EDIT2, 150, 76, 41, 21},
    {IDC_PARAM_UPDOWN2, 191, 76, 16, 21},
    {IDC_PARAM_LABEL4, 212, 80, 32, 13},
    {IDOK, 48, 132, 75, 25},
    {IDCANCEL, 135, 132, 75, 25},
};

class TParamSend : public Dialog {
 public:
  explicit TParamSend(ParamSendData& data) : data_(data) {}

  bool Show(HWND owner) {
    owner_ = owner;
    return RunModal(owner, IDD_PARAM_SEND) == IDOK;
  }

 protected:
  bool OnInit() override {
    Layout(kWidth, kHeight, kPlaces);
    for (auto [updown, value] : {std::pair{IDC_PARAM_UPDOWN1, data_.count},
                                 std::pair{IDC_PARAM_UPDOWN2, data_.interval}}) {
      UpDownSetRange(Item(updown), 0, 100);
      UpDownSetPosition(Item(updown), value);
    }
    CenterOn(owner_);
    return true;
  }

  // The values are what the up-down controls report as the dialog closes: typed digits
  // count as far as they accept them.
  void OnOK() override {
    data_.count = Position(IDC_PARAM_UPDOWN1);
    data_.interval = Position(IDC_PARAM_UPDOWN2);
    Dialog::OnOK();
  }

  void OnPaint(HDC dc) override {
    RECT bevel{Scale(kBevel1.left), Scale(kBevel1.top), Scale(kBevel1.right),
               Scale(kBevel1.bottom)};
    DrawEdge(dc, &bevel, EDGE_ETCHED, BF_RECT);
  }

 private:
  // The position as a 16-bit signed value, widened.
  int32_t Position(int updown) const { return UpDownPosition(Item(updown)); }

  ParamSendData& data_;
  HWND owner_ = nullptr;
};

}  // namespace

bool ShowParamSendDialog(HWND owner, ParamSendData& inOut) {
  ParamSendData values = inOut;
  if (!TParamSend(values).Show(owner)) return false;
  inOut = values;
  return true;
}

}  // namespace korvel
