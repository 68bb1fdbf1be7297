// The address tree on the TreeView control, which stays the only copy of the address book.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "addressbook/address_tree.h"
#include "addressbook/ordering.h"

namespace korvel {

// A Node is the item's HTREEITEM. The kind is the item's image; a file kind that differs
// from it (one the program does not know) rides in the item's data, which is otherwise 0.
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
  int FileKind(Node node) const override;

  Node Selected() const;

  // Deletes `node` with everything below it, or every node. The control deletes a node's
  // descendants recursively, one stack frame per level (about 150 bytes under Wine), so
  // a book nested tens of thousands of levels deep would overflow the stack. With
  // `mayBeDeep`, the nodes below kSafeDepth go first, deepest first, each a leaf when it
  // goes; without it (a shallow book) the control does it all at once.
  static constexpr int kSafeDepth = 2000;
  void DeleteSubtree(Node node, bool mayBeDeep);
  void DeleteAll(bool mayBeDeep);
  // Sorts the children of `node` with the address order.
  void SortChildren(Node node, const OrderingServices& order);

  static HTREEITEM Item(Node node) { return static_cast<HTREEITEM>(node); }

 private:
  HWND tree_;
};

// The platform's IPv4 conversion and the user's locale collation.
OrderingServices PlatformOrdering();

}  // namespace korvel
