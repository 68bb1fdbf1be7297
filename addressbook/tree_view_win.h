// The address tree on the TreeView control, which stays the only copy of the address book.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "addressbook/address_tree.h"
#include "addressbook/ordering.h"

namespace korvel {

// A Node is the item's HTREEITEM.
class TreeViewTree : public AddressTree {
 public:
  explicit TreeViewTree(HWND tree) : tree_(tree) {}

  Node AddLast(Node parent, std::string_view text, int kind) override;
  Node FirstTopLevel() const override;
  Node FirstChild(Node node) const override;
  Node NextSibling(Node node) const override;
  Node Parent(Node node) const override;
  std::string Text(Node node) const override;
  int Kind(Node node) const override;
  void SetKind(Node node, int kind) override;

  Node Selected() const;
  // Sorts the children of `node` with the address order.
  void SortChildren(Node node, const OrderingServices& order);

  static HTREEITEM Item(Node node) { return static_cast<HTREEITEM>(node); }

 private:
  HWND tree_;
};

// The platform's IPv4 conversion and the user's locale collation.
OrderingServices PlatformOrdering();

}  // namespace korvel
