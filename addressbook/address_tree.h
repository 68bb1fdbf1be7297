// The address book as the core sees it: a tree of nodes that carry a text and a kind.
// The core reads and builds it through this interface; the Win32 layer implements it on
// the tree control and the copy of it that answers for the control (MirroredTree), the
// tests on MemoryTree.
#pragma once

#include <string>
#include <string_view>

namespace korvel {

// The node kind is the node's image index in the tree's image list.
enum NodeKind : int {
  kGroupNode = 0,
  kAddressNode = 1,
  kComputerNode = 2,
  kWorkgroupNode = 3,
};

// An opaque handle to one node; nullptr means "no node".
using Node = void*;

class AddressTree {
 public:
  virtual ~AddressTree() = default;

  // Adds a node as the last child of `parent`, or as the last top-level node when `parent`
  // is nullptr. `kind` is 0..3: how the node looks and behaves. `fileKind` is the kind its
  // file gave it, written back when the book is saved, so a kind the program does not know
  // survives a run unchanged. Returns the new node, or nullptr when it could not be added.
  virtual Node AddLast(Node parent, std::string_view text, int kind, int fileKind) = 0;
  Node AddLast(Node parent, std::string_view text, int kind) {
    return AddLast(parent, text, kind, kind);
  }

  virtual Node FirstTopLevel() const = 0;
  virtual Node FirstChild(Node node) const = 0;
  virtual Node NextSibling(Node node) const = 0;
  // nullptr for a top-level node.
  virtual Node Parent(Node node) const = 0;

  virtual std::string Text(Node node) const = 0;
  virtual int Kind(Node node) const = 0;
  virtual int FileKind(Node node) const = 0;
};

// Calls `visit(node, depth)` for `root` (at depth 0) and every node below it, in depth-first
// tree order (each node before its children). A node's children are looked up after its
// visit, so the visit may reorder them. Iterative: a book may be nested to any depth.
template <class Visit>
void ForEachInSubtree(const AddressTree& tree, Node root, Visit&& visit) {
  int depth = 0;
  Node node = root;
  while (node) {
    visit(node, depth);
    Node next = tree.FirstChild(node);
    if (next) {
      ++depth;
      node = next;
      continue;
    }
    while (node && depth > 0 && !(next = tree.NextSibling(node))) {
      node = tree.Parent(node);
      --depth;
    }
    if (depth == 0) return;
    node = next;
  }
}

// The same for the whole tree: every top-level node and everything below it.
template <class Visit>
void ForEachNode(const AddressTree& tree, Visit&& visit) {
  for (Node top = tree.FirstTopLevel(); top; top = tree.NextSibling(top))
    ForEachInSubtree(tree, top, visit);
}

}  // namespace korvel
