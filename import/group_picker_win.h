// The target group controls that the chooser and the server import's last page share:
// the group list cmbGroup (an extended combo box, every item with image 0), the box
// chkNewGroup and the name edNewGroup, with their toggling rules.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "base/handles_win.h"
#include "import/import_target.h"

namespace korvel {

// Registers the control classes the import dialogs use (the extended combo box).
void EnsureImportControls();

class GroupPicker {
 public:
  // Takes the dialog's controls by their ids (IDC_CMB_GROUP, IDC_CHK_NEW_GROUP,
  // IDC_ED_NEW_GROUP) and gives the list its image list ImageList1.
  explicit GroupPicker(HWND dialog);
  ~GroupPicker();
  GroupPicker(const GroupPicker&) = delete;
  GroupPicker& operator=(const GroupPicker&) = delete;

  HWND cmbGroup;
  HWND chkNewGroup;
  HWND edNewGroup;

  // Replaces the list with `groups` and selects the first (none when there is none).
  void Fill(std::vector<GroupChoice> groups);
  // After chkNewGroup has changed its state: the name box or the list becomes the
  // enabled one; ticking with an empty name box fills it with "Новая группа".
  void actNewNameExecute();
  // A target exists: the box is ticked or a group is listed.
  bool HasTarget() const;
  ImportTarget Target() const;

  int ItemIndex() const;
  bool NewGroupTicked() const;

 private:
  ImageList ImageList1_;
  std::vector<GroupChoice> groups_;
};

}  // namespace korvel
