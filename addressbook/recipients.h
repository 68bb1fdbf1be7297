// Turning a node of the address tree into recipients.
#pragma once

#include <string>
#include <string_view>

#include "addressbook/address_tree.h"

namespace korvel {

// The address part of a node text: the text before its first "(", trimmed of characters of
// code 32 or less, so a node may carry a comment in parentheses. A text without "(" is
// returned unchanged, untrimmed.
std::string GETIP(std::string_view text);

// True for the whole-network node's text ("Вся сеть"), compared exactly.
bool IsWholeNetwork(std::string_view text);

// The recipient text a click on `node` puts into edRecipient ("" for no node):
// - a group: the address parts of its direct children joined with ", ", each workgroup child
//   followed by "*", a whole-network workgroup child as "*" alone; an empty first entry adds no
//   separator;
// - any other node: its address part, followed by "*" for a workgroup; the whole-network
//   workgroup node gives "*".
std::string RecipientTextOf(const AddressTree& tree, Node node);

}  // namespace korvel
