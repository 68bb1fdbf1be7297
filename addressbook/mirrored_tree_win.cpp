// The address book's control and its copy, changed together.
#include "addressbook/mirrored_tree_win.h"

#include <algorithm>
#include <cwchar>

#include "base/text_win.h"

namespace korvel {

namespace {
// The control keeps a label up to its first NUL, and the copy keeps what the control
// shows, so that the book saved is the book seen.
std::string Shown(std::wstring_view wide) {
  return Narrow(wide.substr(0, std::min(wide.size(), wide.find(L'\0'))));
}
}  // namespace

MirroredTree::Entry* MirroredTree::Find(Node node) const {
  if (!node) return nullptr;
  auto it = entries_.find(Item(node));
  return it == entries_.end() ? nullptr : it->second;
}

void MirroredTree::Append(Entry* e, Entry* parent) {
  e->parent = parent;
  Entry*& first = parent ? parent->firstChild : firstTop_;
  Entry*& last = parent ? parent->lastChild : lastTop_;
  e->prev = last;
  e->next = nullptr;
  (last ? last->next : first) = e;
  last = e;
}

void MirroredTree::Unlink(Entry* e) {
  Entry*& first = e->parent ? e->parent->firstChild : firstTop_;
  Entry*& last = e->parent ? e->parent->lastChild : lastTop_;
  (e->prev ? e->prev->next : first) = e->next;
  (e->next ? e->next->prev : last) = e->prev;
  e->prev = e->next = nullptr;
}

MirroredTree::Entry* MirroredTree::Add(Entry* parent, std::string_view text, int kind,
                                       int fileKind) {
  Entry* e = nullptr;
  if (free_.empty()) {
    e = &pool_.emplace_back();
  } else {
    e = free_.back();
    free_.pop_back();
  }
  std::wstring wide = Widen(text);
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent ? parent->item : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  ins.item.pszText = wide.data();
  ins.item.iImage = ins.item.iSelectedImage = kind;
  ins.item.lParam = reinterpret_cast<LPARAM>(e);
  HTREEITEM item = TreeView_InsertItem(view_, &ins);
  if (!item) {
    free_.push_back(e);
    return nullptr;
  }
  *e = Entry{};
  e->item = item;
  e->text = Shown(wide);
  e->kind = kind;
  e->fileKind = fileKind;
  Append(e, parent);
  entries_.emplace(item, e);
  return e;
}

Node MirroredTree::AddLast(Node parent, std::string_view text, int kind, int fileKind) {
  Entry* p = Find(parent);
  if (parent && !p) return nullptr;
  return NodeOf(Add(p, text, kind, fileKind));
}

bool MirroredTree::AddAll(const AddressTree& source) {
  // Level by level, each level in tree order: every node still goes last among the
  // siblings added before it, so the tree comes out as in the source.
  std::vector<std::pair<Node, Entry*>> level, next;
  for (Node top = source.FirstTopLevel(); top; top = source.NextSibling(top))
    level.emplace_back(top, nullptr);
  while (!level.empty()) {
    next.clear();
    for (const auto& [node, parent] : level) {
      Entry* e = Add(parent, source.Text(node), source.Kind(node), source.FileKind(node));
      if (!e) return false;
      for (Node child = source.FirstChild(node); child; child = source.NextSibling(child))
        next.emplace_back(child, e);
    }
    level.swap(next);
  }
  return true;
}

Node MirroredTree::FirstTopLevel() const { return NodeOf(firstTop_); }

Node MirroredTree::FirstChild(Node node) const {
  const Entry* e = Find(node);
  return e ? NodeOf(e->firstChild) : nullptr;
}

Node MirroredTree::NextSibling(Node node) const {
  const Entry* e = Find(node);
  return e ? NodeOf(e->next) : nullptr;
}

Node MirroredTree::Parent(Node node) const {
  const Entry* e = Find(node);
  return e ? NodeOf(e->parent) : nullptr;
}

std::string MirroredTree::Text(Node node) const {
  const Entry* e = Find(node);
  return e ? e->text : std::string();
}

int MirroredTree::Kind(Node node) const {
  const Entry* e = Find(node);
  return e ? e->kind : -1;
}

int MirroredTree::FileKind(Node node) const {
  const Entry* e = Find(node);
  return e ? e->fileKind : -1;
}

Node MirroredTree::Selected() const { return TreeView_GetSelection(view_); }

void MirroredTree::LabelEdited(Node node, const wchar_t* text) {
  if (Entry* e = Find(node)) e->text = Shown(text ? std::wstring_view(text) : std::wstring_view());
}

std::vector<std::pair<MirroredTree::Entry*, int>> MirroredTree::Subtree(Entry* root) const {
  std::vector<std::pair<Entry*, int>> out;
  ForEachInSubtree(*this, NodeOf(root),
                   [&](Node n, int depth) { out.emplace_back(Find(n), depth); });
  return out;
}

void MirroredTree::DeleteDeepItems(Entry* root) {
  const auto subtree = Subtree(root);
  // In reverse tree order every node's descendants are gone before it.
  for (auto it = subtree.rbegin(); it != subtree.rend(); ++it)
    if (it->second >= kSafeDepth) TreeView_DeleteItem(view_, it->first->item);
}

void MirroredTree::DeleteSubtree(Node node, bool mayBeDeep) {
  Entry* root = Find(node);
  if (!root) return;
  if (mayBeDeep) DeleteDeepItems(root);
  TreeView_DeleteItem(view_, root->item);
  const auto subtree = Subtree(root);
  Unlink(root);
  for (const auto& [e, depth] : subtree) {
    entries_.erase(e->item);
    *e = Entry{};
    free_.push_back(e);
  }
}

void MirroredTree::DeleteAll(bool mayBeDeep) {
  if (mayBeDeep)
    for (Entry* top = firstTop_; top; top = top->next) DeleteDeepItems(top);
  TreeView_DeleteAllItems(view_);
  entries_.clear();
  pool_.clear();
  free_.clear();
  firstTop_ = lastTop_ = nullptr;
}

int CALLBACK MirroredTree::CompareRanks(LPARAM a, LPARAM b, LPARAM) {
  const size_t ra = reinterpret_cast<const Entry*>(a)->rank;
  const size_t rb = reinterpret_cast<const Entry*>(b)->rank;
  return ra < rb ? -1 : ra > rb ? 1 : 0;
}

void MirroredTree::SortChildren(Node node, const OrderingServices& order) {
  Entry* parent = Find(node);
  if (!parent || !parent->firstChild) return;
  std::vector<Entry*> children;
  for (Entry* c = parent->firstChild; c; c = c->next) children.push_back(c);
  std::stable_sort(children.begin(), children.end(), [&](const Entry* a, const Entry* b) {
    return TreeAddressesCompare(a->text, b->text, order) < 0;
  });
  for (Entry* c : children) Unlink(c);
  for (size_t i = 0; i < children.size(); ++i) {
    children[i]->rank = i;
    Append(children[i], parent);
  }
  // The control is handed the order decided here, so the two cannot come out apart even
  // where children rank equal. Each item's data points at its entry.
  TVSORTCB sort{};
  sort.hParent = parent->item;
  sort.lpfnCompare = &CompareRanks;
  TreeView_SortChildrenCB(view_, &sort, FALSE);
}

}  // namespace korvel
