// The address book: the TreeView control that shows it, and a copy of it in memory that
// every edit keeps in step and that answers every question about it.
//
// Under Wine each message about an item makes the control search its list of all items
// from the start, so reading a book through the control costs time in the square of its
// size (100,000 nodes: over ten seconds to save). The copy answers at once, and the
// control is asked only to change.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "addressbook/address_tree.h"
#include "addressbook/ordering.h"

namespace korvel {

// A Node is the item's HTREEITEM, as the control hands it over in its notifications.
// Every change to the control's items goes through here; the control changes one thing
// by itself, a label edited in place, which the pane reports with LabelEdited.
class MirroredTree final : public AddressTree {
 public:
  explicit MirroredTree(HWND view) : view_(view) {}
  MirroredTree(const MirroredTree&) = delete;
  MirroredTree& operator=(const MirroredTree&) = delete;

  using AddressTree::AddLast;
  Node AddLast(Node parent, std::string_view text, int kind, int fileKind) override;
  Node FirstTopLevel() const override;
  Node FirstChild(Node node) const override;
  Node NextSibling(Node node) const override;
  Node Parent(Node node) const override;
  std::string Text(Node node) const override;
  int Kind(Node node) const override;
  int FileKind(Node node) const override;

  // Appends every node of `source` after the top-level nodes there are, in the same order.
  // The control is given them a level at a time: a node's parent then stands early in the
  // list Wine searches to find it. False when the control refused a node; what was added
  // stays.
  bool AddAll(const AddressTree& source);

  Node Selected() const;
  // The control has taken `text` as the label of `node`, typed over it by the user.
  void LabelEdited(Node node, const wchar_t* text);

  // Deletes `node` with everything below it, or every node. The control deletes a node's
  // descendants recursively, one stack frame per level (about 150 bytes under Wine), so
  // a book nested tens of thousands of levels deep would overflow the stack. With
  // `mayBeDeep`, the nodes below kSafeDepth go first, deepest first, each a leaf when it
  // goes; without it (a shallow book) the control does it all at once.
  static constexpr int kSafeDepth = 2000;
  void DeleteSubtree(Node node, bool mayBeDeep);
  void DeleteAll(bool mayBeDeep);
  // Sorts the children of `node` with the address order; children that rank equal keep
  // their order.
  void SortChildren(Node node, const OrderingServices& order);

  size_t Count() const { return entries_.size(); }
  static HTREEITEM Item(Node node) { return static_cast<HTREEITEM>(node); }

 private:
  struct Entry {
    HTREEITEM item = nullptr;
    std::string text;  // as the control shows it, in Windows-1251
    int kind = 0;
    int fileKind = 0;
    size_t rank = 0;  // its place among its siblings while they are sorted
    Entry* parent = nullptr;
    Entry* firstChild = nullptr;
    Entry* lastChild = nullptr;
    Entry* prev = nullptr;
    Entry* next = nullptr;
  };

  Entry* Find(Node node) const;
  static Node NodeOf(const Entry* e) { return e ? e->item : nullptr; }
  Entry* Add(Entry* parent, std::string_view text, int kind, int fileKind);
  void Append(Entry* e, Entry* parent);
  void Unlink(Entry* e);
  // Every entry of the subtree under `root` (itself first), with its depth below it.
  std::vector<std::pair<Entry*, int>> Subtree(Entry* root) const;
  void DeleteDeepItems(Entry* root);
  static int CALLBACK CompareRanks(LPARAM a, LPARAM b, LPARAM);

  HWND view_;
  // An item's data points at its entry, so the entries stay where they are: a deque, with
  // those of deleted items kept for reuse.
  std::deque<Entry> pool_;
  std::vector<Entry*> free_;
  std::unordered_map<HTREEITEM, Entry*> entries_;
  Entry* firstTop_ = nullptr;
  Entry* lastTop_ = nullptr;
};

}  // namespace korvel
