// The recipient text built from the address tree, and the address part of a node text.
#include "addressbook/recipients.h"

#include "base/string_table.h"
#include "base/text.h"

namespace korvel {

namespace {
// The string table does not change while the program runs.
const std::string& WholeNetwork() {
  static const std::string text = LoadStr(IDS_WHOLE_NETWORK);
  return text;
}
}  // namespace

std::string GETIP(std::string_view text) {
  size_t paren = text.find('(');
  if (paren == std::string_view::npos) return std::string(text);
  return Trim(text.substr(0, paren));
}

bool IsWholeNetwork(std::string_view text) { return text == WholeNetwork(); }

std::string RecipientTextOf(const AddressTree& tree, Node node) {
  if (!node) return {};
  // One recipient of a workgroup kind means every computer in it: "HOME*", or "*" for all.
  auto recipient = [&tree](Node n) {
    std::string text = tree.Text(n);
    if (tree.Kind(n) != kWorkgroupNode) return GETIP(text);
    return IsWholeNetwork(text) ? std::string("*") : GETIP(text) + "*";
  };
  if (tree.Kind(node) != kGroupNode) return recipient(node);

  std::string out;
  for (Node child = tree.FirstChild(node); child; child = tree.NextSibling(child)) {
    if (!out.empty()) out += ", ";
    out += recipient(child);
  }
  return out;
}

}  // namespace korvel
