#include "addressbook/tree_view_win.h"

#include <winsock2.h>

#include <cstdint>
#include <map>
#include <vector>

#include "base/text_win.h"

namespace korvel {

namespace {
// Item data of a node whose file kind differs from its image.
constexpr LPARAM kFileKindTag = LPARAM{1} << 40;

LPARAM FileKindData(int kind, int fileKind) {
  return fileKind == kind ? 0 : kFileKindTag | static_cast<LPARAM>(static_cast<uint32_t>(fileKind));
}

LPARAM ItemData(HWND tree, HTREEITEM item) {
  TVITEMW data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  return TreeView_GetItem(tree, &data) ? data.lParam : 0;
}

void SetItemData(HWND tree, HTREEITEM item, LPARAM value) {
  TVITEMW data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  data.lParam = value;
  TreeView_SetItem(tree, &data);
}
}  // namespace

Node TreeViewTree::AddLast(Node parent, std::string_view text, int kind, int fileKind) {
  std::wstring wide = Widen(text);
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent ? Item(parent) : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  ins.item.pszText = wide.data();
  ins.item.iImage = ins.item.iSelectedImage = kind;
  ins.item.lParam = FileKindData(kind, fileKind);
  return TreeView_InsertItem(tree_, &ins);
}

Node TreeViewTree::FirstTopLevel() const { return TreeView_GetRoot(tree_); }
Node TreeViewTree::FirstChild(Node node) const { return TreeView_GetChild(tree_, Item(node)); }
Node TreeViewTree::NextSibling(Node node) const {
  return TreeView_GetNextSibling(tree_, Item(node));
}
Node TreeViewTree::Parent(Node node) const { return TreeView_GetParent(tree_, Item(node)); }
Node TreeViewTree::Selected() const { return TreeView_GetSelection(tree_); }

namespace {
void DeleteDeepNodes(const TreeViewTree& tree, HWND view, Node root) {
  std::vector<HTREEITEM> deep;
  ForEachInSubtree(tree, root, [&](Node n, int depth) {
    if (depth >= TreeViewTree::kSafeDepth) deep.push_back(TreeViewTree::Item(n));
  });
  // In reverse tree order every node's descendants are gone before it.
  for (auto it = deep.rbegin(); it != deep.rend(); ++it) TreeView_DeleteItem(view, *it);
}
}  // namespace

void TreeViewTree::DeleteSubtree(Node node, bool mayBeDeep) {
  if (mayBeDeep) DeleteDeepNodes(*this, tree_, node);
  TreeView_DeleteItem(tree_, Item(node));
}

void TreeViewTree::DeleteAll(bool mayBeDeep) {
  if (mayBeDeep)
    for (Node top = FirstTopLevel(); top; top = NextSibling(top))
      DeleteDeepNodes(*this, tree_, top);
  TreeView_DeleteAllItems(tree_);
}

std::string TreeViewTree::Text(Node node) const {
  // Texts from a file can be longer than any fixed buffer: grow until it fits.
  std::vector<wchar_t> buf(256);
  for (;;) {
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = Item(node);
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(buf.size());
    if (!TreeView_GetItem(tree_, &item)) return {};
    size_t len = wcsnlen(buf.data(), buf.size());
    if (len + 1 < buf.size()) return Narrow(std::wstring_view(buf.data(), len));
    buf.resize(buf.size() * 4);
  }
}

int TreeViewTree::Kind(Node node) const {
  TVITEMW item{};
  item.mask = TVIF_IMAGE;
  item.hItem = Item(node);
  return TreeView_GetItem(tree_, &item) ? item.iImage : -1;
}

int TreeViewTree::FileKind(Node node) const {
  TVITEMW item{};
  item.mask = TVIF_IMAGE | TVIF_PARAM;
  item.hItem = Item(node);
  if (!TreeView_GetItem(tree_, &item)) return -1;
  return item.lParam & kFileKindTag ? static_cast<int>(static_cast<uint32_t>(item.lParam))
                                    : item.iImage;
}

namespace {
struct SortContext {
  const TreeViewTree* tree;
  const OrderingServices* order;
};

int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM context) {
  auto* c = reinterpret_cast<const SortContext*>(context);
  return TreeAddressesCompare(c->tree->Text(reinterpret_cast<Node>(a)),
                              c->tree->Text(reinterpret_cast<Node>(b)), *c->order);
}
}  // namespace

void TreeViewTree::SortChildren(Node node, const OrderingServices& order) {
  // The comparison is handed item data, not items: for the sort each child carries its
  // own handle there, and gets its own data back afterwards. (Not kept there for good:
  // every call on an item costs a search of all items under Wine, and a load should pay
  // that once, not twice.)
  std::map<HTREEITEM, LPARAM> saved;
  for (HTREEITEM c = TreeView_GetChild(tree_, Item(node)); c;
       c = TreeView_GetNextSibling(tree_, c)) {
    saved[c] = ItemData(tree_, c);
    SetItemData(tree_, c, reinterpret_cast<LPARAM>(c));
  }
  SortContext context{this, &order};
  TVSORTCB sort{};
  sort.hParent = Item(node);
  sort.lpfnCompare = &CompareItems;
  sort.lParam = reinterpret_cast<LPARAM>(&context);
  TreeView_SortChildrenCB(tree_, &sort, FALSE);
  for (const auto& [item, data] : saved) SetItemData(tree_, item, data);
}

OrderingServices PlatformOrdering() {
  return {[](const char* text) { return static_cast<uint32_t>(inet_addr(text)); },
          [](std::string_view a, std::string_view b) {
            std::wstring wa = Widen(a), wb = Widen(b);
            return CompareStringW(LOCALE_USER_DEFAULT, 0, wa.c_str(), static_cast<int>(wa.size()),
                                  wb.c_str(), static_cast<int>(wb.size())) -
                   CSTR_EQUAL;
          }};
}

}  // namespace korvel
