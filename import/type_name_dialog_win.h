// The name of a computer, workgroup or domain typed by the user, where the shell cannot
// show the network to pick it from.
#pragma once

#include <windows.h>

#include <string>

#include "base/dialog_win.h"

namespace korvel {

struct TypeNameData {
  std::string title;       // in: the browse's title
  bool workgroup = false;  // in: a workgroup or domain is asked for, not a computer
  std::string name;        // out: the name typed, bare (see TypedName)
};

class TTypeNameDlg : public Dialog {
 public:
  explicit TTypeNameDlg(TypeNameData& data) : data_(data) {}
  bool ShowModal(HWND owner);

 protected:
  bool OnInit() override;
  void OnEditChanged(int id) override;
  void OnOK() override;

 private:
  std::string TypedName() const;

  TypeNameData& data_;
  HWND owner_ = nullptr;
};

// True when a name was typed and confirmed.
bool ShowTypeNameDialog(HWND owner, TypeNameData& inOut);

}  // namespace korvel
