// Any bytes as a scanner address file: the read neither crashes nor hangs, makes only
// groups and computers, stops only with "Invalid numeric input", places every entry as
// the address book's reader would, and what it placed saves to a book that loads back
// into the same tree.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "addressbook/memory_tree.h"
#include "addressbook/recipient_file.h"
#include "import/scanner_file.h"

using namespace korvel;

namespace {

// The tree's shape and texts, without its kinds.
std::string Shape(const AddressTree& tree) {
  std::string out;
  int deepest = 0;
  ForEachNode(tree, [&](Node node, int depth) {
    out += std::to_string(depth) + ' ' + tree.Text(node) + '\n';
    if (depth > deepest) deepest = depth;
  });
  return out + std::to_string(deepest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  MemoryTree tree;
  TreeFileResult r = ParseScannerText(text, tree);
  if (!r.ok() && r.error != "Invalid numeric input") std::abort();
  ForEachNode(tree, [&](Node node, int) {
    if (tree.Kind(node) != kGroupNode && tree.Kind(node) != kComputerNode) std::abort();
    if (tree.FileKind(node) != tree.Kind(node)) std::abort();
  });

  // The same placement as the address book's reader, up to where the scanner's stopped.
  MemoryTree book;
  TreeFileResult asBook = ParseTreeText(text, book);
  if (r.ok() && asBook.ok() && Shape(tree) != Shape(book)) std::abort();
  if (r.ok() && r.deepest != asBook.deepest) std::abort();

  // Saved as part of the address book, it loads back unchanged.
  const std::string saved = SerializeTree(tree);
  MemoryTree again;
  if (!ParseTreeText(saved, again).ok() || SerializeTree(again) != saved) std::abort();
  return 0;
}
