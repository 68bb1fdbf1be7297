// The TreeView control read and written through its messages, one item at a time. The
// program keeps its book in MirroredTree, which reads from a copy of its own: under Wine
// every message about an item makes the control search its list of all items, so a walk
// of a large book through the control takes seconds. This reads what the control really
// shows, for the tests and the benchmark to hold against that copy.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "addressbook/address_tree.h"
#include "addressbook/ordering.h"

namespace korvel {

// A Node is the item's HTREEITEM; the kind is the item's image. The control keeps no
// other kind: a file kind the program does not know lives in MirroredTree's copy only.
class TreeViewTree : public AddressTree {
 public:
  explicit TreeViewTree(HWND tree) : tree_(tree) {}

  using AddressTree::AddLast;
  Node AddLast(Node parent, std::string_view text, int kind, int fileKind) override;
  Node FirstTopLevel() const override;
  Node FirstChild(Node node) const override;
  Node NextSibling(Node node) const override;
  Node Parent(Node node) const override;
  std::string Text(Node node) const override;
  int Kind(Node node) const override;
  int FileKind(Node node) const override { return Kind(node); }

  Node Selected() const;

  static HTREEITEM Item(Node node) { return static_cast<HTREEITEM>(node); }

 private:
  HWND tree_;
};

// The platform's IPv4 conversion and the user's locale collation.
OrderingServices PlatformOrdering();

}  // namespace korvel
