// The address tree in the main window: loading and saving it with the window's life,
// turning a click into recipients, adding, deleting, renaming and sorting nodes.
#include "addressbook/address_book_pane_win.h"

#include <windowsx.h>

#include "addressbook/recipient_file.h"
#include "addressbook/recipients.h"
#include "base/dpi_win.h"
#include "base/errors.h"
#include "res/resource.h"

namespace korvel {

namespace {
HWND CreateTree(HWND parent, HIMAGELIST images) {
  HWND tree = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
          TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS | TVS_TRACKSELECT,
      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE_ADDRESSES)),
      GetModuleHandleW(nullptr), nullptr);
  TreeView_SetIndent(tree, 19);
  TreeView_SetImageList(tree, images, TVSIL_NORMAL);
  return tree;
}

// The group a new address goes into: the selected group, or the group of the selected
// address; none for a top-level node that is no group.
Node TargetGroup(const TreeViewTree& tree) {
  Node selected = tree.Selected();
  if (!selected) return nullptr;
  return tree.Kind(selected) == kGroupNode ? selected : tree.Parent(selected);
}

// Appends an empty node, selects it and starts editing its text.
void AddForEditing(TreeViewTree& tree, HWND view, Node parent, int kind) {
  HTREEITEM item = TreeViewTree::Item(tree.AddLast(parent, "", kind));
  if (!item) return;
  TreeView_SelectItem(view, item);
  SetFocus(view);
  TreeView_EditLabel(view, item);
}
}  // namespace

TAddressBookPane::TAddressBookPane(HWND parent, HIMAGELIST nodeImages, Wiring wiring)
    : TreeAddresses(CreateTree(parent, nodeImages)),
      wiring_(std::move(wiring)),
      tree_(TreeAddresses) {}

void TAddressBookPane::ApplyDpi(UINT dpi, HIMAGELIST nodeImages) {
  TreeView_SetImageList(TreeAddresses, nodeImages, TVSIL_NORMAL);
  TreeView_SetIndent(TreeAddresses, Scale(19, dpi));
}

void TAddressBookPane::LoadAddressBook(const std::string& fileName) {
  Clear();
  // A large book is drawn once, when it is all there.
  SendMessageW(TreeAddresses, WM_SETREDRAW, FALSE, 0);
  TreeFileResult r = TreeLoadFromFile(fileName, tree_);
  SendMessageW(TreeAddresses, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(TreeAddresses, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
  fileState_ = r.status == TreeFileStatus::Failed ? FileState::ReadPartly : FileState::ReadWhole;
  NoteDepth(r.deepest);
  if (r.status == TreeFileStatus::Failed) throw KorvelError(r.error);
}

void TAddressBookPane::Clear() {
  tree_.DeleteAll(MayBeDeep());
  deepest_ = 0;
}

std::string TAddressBookPane::SaveAddressBook(const std::string& fileName) {
  TreeFileResult r = korvel::SaveAddressBook(fileName, tree_, fileState_ == FileState::ReadWhole);
  if (r.status == TreeFileStatus::Failed) throw KorvelError(r.error);
  return r.keptAs;
}

HTREEITEM TAddressBookPane::NodeAtMessagePosition(POINT* screen) const {
  DWORD at = GetMessagePos();
  TVHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (screen) *screen = hit.pt;
  ScreenToClient(TreeAddresses, &hit.pt);
  HTREEITEM item = TreeView_HitTest(TreeAddresses, &hit);
  return item && (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

LRESULT TAddressBookPane::OnNotify(NMHDR* hdr) {
  switch (hdr->code) {
    case NM_CLICK:
      return TreeClicked();
    case NM_RCLICK:
      return TreeRightClicked();
    case TVN_BEGINLABELEDITW:
      return !TreeAddressesEditing(reinterpret_cast<NMTVDISPINFOW*>(hdr)->item.hItem);
    case TVN_ENDLABELEDITW:
      // Whatever was typed is taken; a cancelled edit leaves the text as it was.
      return reinterpret_cast<NMTVDISPINFOW*>(hdr)->item.pszText != nullptr;
  }
  return 0;
}

// The click notification may come before the tree moves its selection: the node under
// the click is selected first, so the click always speaks of the node clicked.
LRESULT TAddressBookPane::TreeClicked() {
  if (HTREEITEM item = NodeAtMessagePosition()) TreeView_SelectItem(TreeAddresses, item);
  TreeAddressesClick();
  return 0;
}

// A right click selects the node under the pointer before the pop-up opens.
LRESULT TAddressBookPane::TreeRightClicked() {
  POINT screen{};
  if (HTREEITEM item = NodeAtMessagePosition(&screen)) TreeView_SelectItem(TreeAddresses, item);
  wiring_.showPopup(screen);
  return TRUE;
}

void TAddressBookPane::OnContextMenu(POINT screen) {
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard: at the selected node
    RECT r{};
    if (HTREEITEM sel = TreeView_GetSelection(TreeAddresses))
      TreeView_GetItemRect(TreeAddresses, sel, &r, TRUE);
    screen = {r.left, r.bottom};
    ClientToScreen(TreeAddresses, &screen);
  }
  wiring_.showPopup(screen);
}

void TAddressBookPane::TreeAddressesClick() {
  wiring_.setRecipients(RecipientTextOf(tree_, tree_.Selected()));
}

bool TAddressBookPane::TreeAddressesEditing(HTREEITEM item) {
  return !IsWholeNetwork(tree_.Text(item));
}

void TAddressBookPane::actAddGroupExecute() {
  AddForEditing(tree_, TreeAddresses, nullptr, kGroupNode);
}

void TAddressBookPane::actAddUserExecute() {
  Node group = TargetGroup(tree_);
  if (!group) return;
  ForEachInSubtree(tree_, group, [&](Node n, int) {
    TreeView_Expand(TreeAddresses, TreeViewTree::Item(n), TVE_EXPAND);
  });
  AddForEditing(tree_, TreeAddresses, group, kAddressNode);
}

void TAddressBookPane::actRemoveGroupExecute() {
  if (Node selected = tree_.Selected()) tree_.DeleteSubtree(selected, MayBeDeep());
}

bool TAddressBookPane::actAddUserUpdate() {
  Node selected = tree_.Selected();
  return selected && !IsWholeNetwork(tree_.Text(selected)) && TargetGroup(tree_);
}

bool TAddressBookPane::actRemoveGroupUpdate() {
  Node selected = tree_.Selected();
  return selected && !IsWholeNetwork(tree_.Text(selected));
}

void TAddressBookPane::actSortAddressesExecute() {
  const OrderingServices order = PlatformOrdering();
  // Every node's children, at every depth; the top level keeps its order.
  ForEachNode(tree_, [&](Node node, int) {
    if (tree_.FirstChild(node)) tree_.SortChildren(node, order);
  });
}

}  // namespace korvel
