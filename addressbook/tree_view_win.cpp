#include "addressbook/tree_view_win.h"

#include <winsock2.h>

#include <cstdint>
#include <vector>

#include "base/text_win.h"

namespace korvel {

Node TreeViewTree::AddLast(Node parent, std::string_view text, int kind, int) {
  std::wstring wide = Widen(text);
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent ? Item(parent) : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.pszText = wide.data();
  ins.item.iImage = ins.item.iSelectedImage = kind;
  return TreeView_InsertItem(tree_, &ins);
}

Node TreeViewTree::FirstTopLevel() const { return TreeView_GetRoot(tree_); }
Node TreeViewTree::FirstChild(Node node) const { return TreeView_GetChild(tree_, Item(node)); }
Node TreeViewTree::NextSibling(Node node) const {
  return TreeView_GetNextSibling(tree_, Item(node));
}
Node TreeViewTree::Parent(Node node) const { return TreeView_GetParent(tree_, Item(node)); }
Node TreeViewTree::Selected() const { return TreeView_GetSelection(tree_); }

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
