// TAddressBookPane: the address tree in the main window. It owns the tree control and
// what is known about how much of the recipient file it holds; it loads and saves the
// book with the window's life, turns clicks into recipients, and carries the tree's
// commands.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>

#include "addressbook/mirrored_tree_win.h"
#include "base/window_win.h"

namespace korvel {

class TAddressBookPane {
  // A window of the pane's own that the tree reports to (see the constructor); made
  // before the tree.
  class Events : public Window {
   public:
    explicit Events(TAddressBookPane& pane);

   protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

   private:
    TAddressBookPane& pane_;
  };
  Events events_{*this};

 public:
  struct Wiring {
    // Puts a recipient text (Windows-1251) into the recipient field.
    std::function<void(const std::string&)> setRecipients;
    // Opens the tree's pop-up menu at a screen position.
    std::function<void(POINT)> showPopup;
  };

  TAddressBookPane(HWND parent, HIMAGELIST nodeImages, Wiring wiring);
  TAddressBookPane(const TAddressBookPane&) = delete;
  TAddressBookPane& operator=(const TAddressBookPane&) = delete;

  HWND TreeAddresses = nullptr;
  MirroredTree& Tree() { return tree_; }

  // Empties the tree, then appends the book in `fileName` (a UTF-8 path). Raises
  // KorvelError when the file could not be read whole; the nodes read so far stay.
  void LoadAddressBook(const std::string& fileName);
  // Raises KorvelError when the book could not be saved. Returns where a file the start-up
  // could not read whole was kept before it was replaced (a UTF-8 path), when it was
  // copied now; "" otherwise.
  std::string SaveAddressBook(const std::string& fileName);
  // Empties the tree; the main window does it before its controls go, since the control
  // itself could not take a very deep book down.
  void Clear();
  // Whoever adds a whole file of nodes says how deep it went.
  void NoteDepth(int deepest) { deepest_ = std::max(deepest_, deepest); }

  // Indent and node images for the window's DPI.
  void ApplyDpi(UINT dpi, HIMAGELIST nodeImages);

  // The tree's notifications and context menu; the main window dispatches what reaches it.
  LRESULT OnNotify(NMHDR* hdr);
  void OnContextMenu(POINT screen);

  void TreeAddressesClick();
  bool TreeAddressesEditing(HTREEITEM item);  // may the node's text be edited?

  void actAddUserExecute();
  void actAddGroupExecute();
  void actRemoveGroupExecute();
  void actSortAddressesExecute();
  bool actAddUserUpdate();
  bool actRemoveGroupUpdate();

 private:
  // The node under the position of the message being handled (not where the pointer is
  // now), or nullptr.
  HTREEITEM NodeAtMessagePosition(POINT* screen = nullptr) const;
  LRESULT TreeClicked();
  LRESULT TreeRightClicked();
  LRESULT LabelEdited(const NMTVDISPINFOW* info);

  // How much of the address book file the tree holds, which decides how it is saved.
  enum class FileState { NotRead, ReadPartly, ReadWhole };
  FileState fileState_ = FileState::NotRead;
  // The deepest level a node may stand at: a node added by hand goes at most one level
  // below a group.
  int deepest_ = 0;
  bool MayBeDeep() const { return deepest_ + 1 >= MirroredTree::kSafeDepth; }
  Wiring wiring_;
  MirroredTree tree_;
};

}  // namespace korvel
