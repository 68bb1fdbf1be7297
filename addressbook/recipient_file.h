// The recipient file, where the address book lives between runs.
//
// Windows-1251 text, one node per line ended by CR LF, depth-first in tree order:
//   depth ' ' kind ' ' text
// Reading is lenient: characters of code 32 or less before each number are skipped (so blank
// lines and line breaks between fields do not matter); a number is the run of characters above
// code 32 that follows, at most 32 of them, an optional sign and decimal digits; the text is the
// rest of the line, trimmed; Ctrl+Z (code 26) ends the file as its physical end does.
#pragma once

#include <string>
#include <string_view>

#include "addressbook/address_tree.h"

namespace korvel {

enum class TreeFileStatus {
  Ok,
  // Load only: there is no such file (or folder). The tree is unchanged: an empty book.
  NotFound,
  // Save only: the file could not be created (missing folder, read-only file, no access).
  // The old file is unchanged.
  NotSaved,
  // `error` is the text for the message box. A load keeps the nodes placed before the fault;
  // a save leaves the old file exactly as it was.
  Failed,
};

struct TreeFileResult {
  TreeFileStatus status = TreeFileStatus::Ok;
  std::string error;   // Windows-1251, e.g. "Invalid numeric input", "File access denied"
  int deepest = 0;     // a load: the deepest level it placed a node at (top level 0)
  std::string keptAs;  // a save: where the earlier file was copied to now (UTF-8), or ""

  bool ok() const { return status == TreeFileStatus::Ok; }
};

// What the second number of a record makes of a node: the kind it shows and behaves as
// (0..3), and the kind written back for it when the book is saved.
struct NodeKinds {
  int kind;
  int fileKind;
};

// Turns the second number of a record into node kinds, so that other files laid out the same
// way (the scanner's address files) can be read by the same reader.
using KindMap = NodeKinds (*)(int number);

// The recipient file stores the kind itself. A number outside 0..3, which this program never
// writes, shows and behaves as an address node and is written back as it was read.
NodeKinds RecipientFileKind(int number);

// What a record with a negative depth means. The recipient file never holds one, and places
// it at the top level so that no text is lost; the scanner's files treat it as a bad number.
enum class NegativeDepth { TopLevel, Invalid };

// Appends the records of `text` to the tree after its existing nodes. Each record is placed by
// its depth relative to the node placed before it: the first at the top level whatever its
// depth says, then as a sibling (same depth), a child (one deeper) or a sibling of an ancestor
// (shallower). A record more than one level deeper becomes a child of the node before it, and a
// negative depth counts as 0 (or, with NegativeDepth::Invalid, is a bad number), so no record
// and no text is ever lost. A bad number stops with Failed "Invalid numeric input"; the nodes
// placed before it stay.
TreeFileResult ParseTreeText(std::string_view text, AddressTree& tree,
                             KindMap kindOf = RecipientFileKind,
                             NegativeDepth negative = NegativeDepth::TopLevel);

// The whole tree in the file's layout. A CR, LF or Ctrl+Z inside a text is written as a blank,
// since it would split the record or end the file when read back.
std::string SerializeTree(const AddressTree& tree);

// Appends the nodes of the file to the tree (the caller empties it first). `fileName` is a
// UTF-8 path, as for every file of the program.
// Files laid out the same way (the scanner's) are read with their own kinds and rules.
TreeFileResult TreeLoadFromFile(const std::string& fileName, AddressTree& tree,
                                KindMap kindOf = RecipientFileKind,
                                NegativeDepth negative = NegativeDepth::TopLevel);

// Replaces the file's content with the whole tree in one step: a failed save leaves the old
// file exactly as it was.
TreeFileResult TreeSaveToFile(const std::string& fileName, const AddressTree& tree);

// The save at exit. When the file was not read whole at start (its load stopped part-way,
// or never ran), what it holds is first kept beside it, so that nothing the program could
// not read is lost: as "<file>.bak", or where that holds an earlier such copy, as
// "<file>.2.bak", "<file>.3.bak"... up to kMaxBookCopies copies. A copy is never written
// over, and content already kept in one is not copied again; `keptAs` names a copy made
// now. If no copy can be made, the file is not replaced. With nothing read and nothing to
// save, the file is left alone. A save that cannot create the file is Failed "Unable to
// write to <file>" whenever it loses something (a book to save, or a file that stays as
// it was); only an empty book with no file to replace passes silently.
constexpr int kMaxBookCopies = 99;
TreeFileResult SaveAddressBook(const std::string& fileName, const AddressTree& tree,
                               bool fileWasReadWhole);

}  // namespace korvel
