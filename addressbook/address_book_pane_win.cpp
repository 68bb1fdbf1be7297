// The address tree in the main window: loading and saving it with the window's life,
// turning a click into recipients, adding, deleting, renaming and sorting nodes.
#include "addressbook/address_book_pane_win.h"

#include <windowsx.h>

#include "addressbook/memory_tree.h"
#include "addressbook/recipient_file.h"
#include "addressbook/recipients.h"
#include "addressbook/tree_view_win.h"
#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "base/errors.h"
#include "res/resource.h"

namespace korvel {

namespace {
constexpr wchar_t kEventsClass[] = L"KorvelTreeEvents";

// The tree stands in `parent` and reports to `events`. A control sends its notifications
// to the window it was created in, so it is created there and then moved. Every message
// to the main window passes through the tray icon's subclass, which under Wine asks the
// server for its data twice, about 70 microseconds; the tree sends one notification for
// each node it deletes, and a book of 100,000 nodes would take seconds to close.
HWND CreateTree(HWND parent, HWND events, HIMAGELIST images) {
  HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP |
                                  TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                  TVS_SHOWSELALWAYS | TVS_EDITLABELS | TVS_TRACKSELECT,
                              0, 0, 0, 0, events ? events : parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE_ADDRESSES)),
                              GetModuleHandleW(nullptr), nullptr);
  if (events) {
    SetParent(tree, parent);
    // Last among the main window's controls made so far, as if made there: the Tab order.
    SetWindowPos(tree, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  TreeView_SetIndent(tree, 19);
  TreeView_SetImageList(tree, images, TVSIL_NORMAL);
  return tree;
}

// The group a new address goes into: the selected group, or the group of the selected
// address; none for a top-level node that is no group.
Node TargetGroup(const MirroredTree& tree) {
  Node selected = tree.Selected();
  if (!selected) return nullptr;
  return tree.Kind(selected) == kGroupNode ? selected : tree.Parent(selected);
}

// Appends an empty node, selects it and starts editing its text.
void AddForEditing(MirroredTree& tree, HWND view, Node parent, int kind) {
  HTREEITEM item = MirroredTree::Item(tree.AddLast(parent, "", kind));
  if (!item) return;
  TreeView_SelectItem(view, item);
  SetFocus(view);
  TreeView_EditLabel(view, item);
}
}  // namespace

TAddressBookPane::Events::Events(TAddressBookPane& pane) : pane_(pane) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::StaticWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kEventsClass;
    return RegisterClassExW(&wc);
  }();
  if (atom)
    CreateWindowExW(0, kEventsClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                    GetModuleHandleW(nullptr), this);
}

LRESULT TAddressBookPane::Events::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) return pane_.OnNotify(reinterpret_cast<NMHDR*>(lp));
  return Default(msg, wp, lp);
}

TAddressBookPane::TAddressBookPane(HWND parent, HIMAGELIST nodeImages, Wiring wiring)
    : TreeAddresses(CreateTree(parent, events_.Handle(), nodeImages)),
      wiring_(std::move(wiring)),
      tree_(TreeAddresses) {}

void TAddressBookPane::ApplyDpi(UINT dpi, HIMAGELIST nodeImages) {
  TreeView_SetImageList(TreeAddresses, nodeImages, TVSIL_NORMAL);
  TreeView_SetIndent(TreeAddresses, Scale(19, dpi));
}

void TAddressBookPane::LoadAddressBook(const std::string& fileName) {
  Clear();
  // Read whole first, so that the control can be given the book a level at a time.
  MemoryTree book;
  TreeFileResult r = TreeLoadFromFile(fileName, book);
  {
    // A large book is drawn once, when it is all there.
    const RedrawPaused batch(TreeAddresses);
    if (!tree_.AddAll(book) && r.status != TreeFileStatus::Failed)
      r = {TreeFileStatus::Failed, "Out of memory", r.deepest, {}};
  }
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
      return LabelEdited(reinterpret_cast<NMTVDISPINFOW*>(hdr));
  }
  return 0;
}

// Whatever was typed is taken; a cancelled edit leaves the text as it was.
LRESULT TAddressBookPane::LabelEdited(const NMTVDISPINFOW* info) {
  if (!info->item.pszText) return FALSE;
  tree_.LabelEdited(info->item.hItem, info->item.pszText);
  return TRUE;
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
    TreeView_Expand(TreeAddresses, MirroredTree::Item(n), TVE_EXPAND);
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
