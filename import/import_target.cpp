// The group list of the import target and adding imported addresses into the target.
#include "import/import_target.h"

#include "addressbook/recipients.h"
#include "base/string_table.h"

namespace korvel {

std::vector<GroupChoice> ListGroups(const AddressTree& tree) {
  std::vector<GroupChoice> groups;
  ForEachNode(tree, [&](Node node, int) {
    if (tree.Kind(node) != kGroupNode) return;
    std::string text = tree.Text(node);
    if (!IsWholeNetwork(text)) groups.push_back({std::move(text), node});
  });
  return groups;
}

int AddToTarget(AddressTree& tree, const ImportTarget& target,
                const std::vector<std::string>& texts, int kind) {
  if (texts.empty()) return -1;
  Node group = target.group;
  if (target.newGroup) {
    group = tree.AddLast(nullptr,
                         target.newGroupName.empty() ? LoadStr(IDS_NEW_GROUP) : target.newGroupName,
                         kGroupNode);
    if (!group) return -1;
  }
  int depth = 0;
  for (Node n = group; n; n = tree.Parent(n)) ++depth;
  for (const std::string& text : texts) tree.AddLast(group, text, kind);
  return depth;
}

}  // namespace korvel
