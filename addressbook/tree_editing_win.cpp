// The address tree in the main window: loading and saving it with the window's life,
// turning a click into recipients, adding, deleting, renaming and sorting nodes.
#include <windows.h>

#include <commctrl.h>

#include "addressbook/recipient_file.h"
#include "addressbook/recipients.h"
#include "addressbook/tree_view_win.h"
#include "app/errors.h"
#include "app/main_form_win.h"
#include "app/text_win.h"

namespace korvel {

void TKorvelForm::LoadAddressBook() {
  TreeViewTree tree(TreeAddresses);
  // A large book is drawn once, when it is all there.
  SendMessageW(TreeAddresses, WM_SETREDRAW, FALSE, 0);
  TreeFileResult r = TreeLoadFromFile(gApp.RecipientFile, tree);
  SendMessageW(TreeAddresses, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(TreeAddresses, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
  addressBook_ = r.status == TreeFileStatus::Failed ? AddressBookState::ReadPartly
                                                    : AddressBookState::ReadWhole;
  if (r.status == TreeFileStatus::Failed) throw KorvelError(r.error);
}

void TKorvelForm::SaveAddressBook() {
  TreeViewTree tree(TreeAddresses);
  TreeFileResult r = korvel::SaveAddressBook(gApp.RecipientFile, tree,
                                             addressBook_ == AddressBookState::ReadWhole);
  if (r.status == TreeFileStatus::Failed) throw KorvelError(r.error);
}

void TKorvelForm::TreeAddressesClick() {
  TreeViewTree tree(TreeAddresses);
  SetWindowText1251(edRecipient, RecipientTextOf(tree, tree.Selected()));
}

bool TKorvelForm::TreeAddressesEditing(HTREEITEM item) {
  return !IsWholeNetwork(TreeViewTree(TreeAddresses).Text(item));
}

namespace {
// The group a new address goes into: the selected group, or the group of the selected
// address; none for a top-level node that is no group.
Node TargetGroup(const TreeViewTree& tree) {
  Node selected = tree.Selected();
  if (!selected) return nullptr;
  return tree.Kind(selected) == kGroupNode ? selected : tree.Parent(selected);
}

void ExpandAll(HWND tree, HTREEITEM item) {
  TreeView_Expand(tree, item, TVE_EXPAND);
  for (HTREEITEM c = TreeView_GetChild(tree, item); c; c = TreeView_GetNextSibling(tree, c))
    ExpandAll(tree, c);
}

// Appends an empty node, selects it and starts editing its text.
void AddForEditing(HWND view, Node parent, int kind) {
  HTREEITEM item = TreeViewTree::Item(TreeViewTree(view).AddLast(parent, "", kind));
  if (!item) return;
  TreeView_SelectItem(view, item);
  SetFocus(view);
  TreeView_EditLabel(view, item);
}
}  // namespace

void TKorvelForm::actAddGroupExecute() { AddForEditing(TreeAddresses, nullptr, kGroupNode); }

void TKorvelForm::actAddUserExecute() {
  Node group = TargetGroup(TreeViewTree(TreeAddresses));
  if (!group) return;
  ExpandAll(TreeAddresses, TreeViewTree::Item(group));
  AddForEditing(TreeAddresses, group, kAddressNode);
}

void TKorvelForm::actRemoveGroupExecute() {
  if (HTREEITEM selected = TreeView_GetSelection(TreeAddresses))
    TreeView_DeleteItem(TreeAddresses, selected);
}

bool TKorvelForm::actAddUserUpdate() {
  TreeViewTree tree(TreeAddresses);
  Node selected = tree.Selected();
  return selected && !IsWholeNetwork(tree.Text(selected)) && TargetGroup(tree);
}

bool TKorvelForm::actRemoveGroupUpdate() {
  TreeViewTree tree(TreeAddresses);
  Node selected = tree.Selected();
  return selected && !IsWholeNetwork(tree.Text(selected));
}

void TKorvelForm::actSortAddressesExecute() {
  TreeViewTree tree(TreeAddresses);
  const OrderingServices order = PlatformOrdering();
  // Every node's children, at every depth; the top level keeps its order.
  ForEachNode(tree, [&](Node node, int) {
    if (tree.FirstChild(node)) tree.SortChildren(node, order);
  });
}

}  // namespace korvel
