// An AddressTree held in memory, for the tests, the fuzz targets and the benchmark.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "addressbook/address_tree.h"

namespace korvel {

class MemoryTree final : public AddressTree {
 public:
  MemoryTree() = default;
  // Nodes point at each other, so a copy would point into the original.
  MemoryTree(const MemoryTree&) = delete;
  MemoryTree& operator=(const MemoryTree&) = delete;

  using AddressTree::AddLast;
  Node AddLast(Node parent, std::string_view text, int kind, int fileKind) override {
    Item& item = items_.emplace_back();
    item.text = std::string(text);
    item.kind = kind;
    item.fileKind = fileKind;
    item.parent = static_cast<Item*>(parent);
    Item*& first = item.parent ? item.parent->firstChild : firstTop_;
    Item*& last = item.parent ? item.parent->lastChild : lastTop_;
    (last ? last->next : first) = &item;
    last = &item;
    return &item;
  }

  Node FirstTopLevel() const override { return firstTop_; }
  Node FirstChild(Node node) const override { return At(node).firstChild; }
  Node NextSibling(Node node) const override { return At(node).next; }
  Node Parent(Node node) const override { return At(node).parent; }
  std::string Text(Node node) const override { return At(node).text; }
  int Kind(Node node) const override { return At(node).kind; }
  int FileKind(Node node) const override { return At(node).fileKind; }

  size_t Count() const { return items_.size(); }
  void Clear() {
    items_.clear();
    firstTop_ = lastTop_ = nullptr;
  }

 private:
  struct Item {
    std::string text;
    int kind = 0;
    int fileKind = 0;
    Item* parent = nullptr;
    Item* firstChild = nullptr;
    Item* lastChild = nullptr;
    Item* next = nullptr;
  };
  static Item& At(Node node) { return *static_cast<Item*>(node); }

  std::deque<Item> items_;  // a deque keeps every node where it is as the tree grows
  Item* firstTop_ = nullptr;
  Item* lastTop_ = nullptr;
};

}  // namespace korvel
