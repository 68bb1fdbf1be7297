// Where imported addresses go: an existing group picked from a list of the tree's groups,
// or a new group by name. The target group chooser and the server import's last page
// both offer this choice; the network and server imports then add into it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "addressbook/address_tree.h"

namespace korvel {

// One entry of the group list: the group's text and the node it stands for.
struct GroupChoice {
  std::string text;
  Node node = nullptr;
};

// Every group node of the tree except the whole-network node, at any depth, in depth-first
// tree order (several of the same name included).
std::vector<GroupChoice> ListGroups(const AddressTree& tree);

struct ImportTarget {
  bool newGroup = false;
  std::string newGroupName;  // as typed; "Новая группа" when empty
  Node group = nullptr;      // the group picked from the list, without newGroup
};

// Appends `texts` with `kind` as the last children of the target. A new group goes at the
// end of the top level, and only when there is something to put in it. Returns the depth
// the texts were placed at (top level 0), or -1 when nothing was added.
int AddToTarget(AddressTree& tree, const ImportTarget& target,
                const std::vector<std::string>& texts, int kind);

}  // namespace korvel
