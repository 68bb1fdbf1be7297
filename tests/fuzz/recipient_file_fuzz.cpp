// Any bytes as a recipient file: the load neither crashes nor hangs, what it placed saves to a
// text that loads back into the same tree, and no node yields a recipient with a comment in it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "addressbook/memory_tree.h"
#include "addressbook/recipient_file.h"
#include "addressbook/recipients.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryTree tree;
  ParseTreeText(std::string_view(reinterpret_cast<const char*>(data), size), tree);

  std::string saved = SerializeTree(tree);
  MemoryTree again;
  if (!ParseTreeText(saved, again).ok() || again.Count() != tree.Count()) std::abort();
  if (SerializeTree(again) != saved) std::abort();

  ForEachNode(tree, [&](Node node, int) {
    if (tree.Kind(node) < kGroupNode || tree.Kind(node) > kWorkgroupNode) std::abort();
    if (RecipientTextOf(tree, node).find('(') != std::string::npos) std::abort();
  });
  return 0;
}
