// Reading and writing the recipient file (the address book on disk).
#include "addressbook/recipient_file.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "base/text.h"

namespace korvel {

namespace {

constexpr char kCtrlZ = 26;
constexpr size_t kMaxNumberLength = 32;
constexpr char kInvalidNumber[] = "Invalid numeric input";

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

class RecordReader {
 public:
  explicit RecordReader(std::string_view text) : text_(text.substr(0, text.find(kCtrlZ))) {}

  // Skips blanks, control characters and line breaks; false when nothing follows them.
  bool SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    return pos_ < text_.size();
  }

  bool ReadNumber(int& out) {
    size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    return pos_ - start <= kMaxNumberLength && ParseInt(text_.substr(start, pos_ - start), out);
  }

  std::string ReadRestOfLine() {
    size_t end = std::min(text_.find_first_of("\r\n", pos_), text_.size());
    std::string text = Trim(text_.substr(pos_, end - pos_));
    pos_ = end;
    return text;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

TreeFileResult Fail(std::string error, int deepest = 0) {
  return {TreeFileStatus::Failed, std::move(error), deepest, {}};
}

TreeFileResult CannotWrite(const std::string& fileName) {
  return Fail("Unable to write to " + Cp1251FromUtf8(fileName));
}

// "<file>.bak" first, then "<file>.2.bak", "<file>.3.bak"...
std::string CopyName(const std::string& fileName, int number) {
  return number == 1 ? fileName + ".bak" : fileName + "." + IntToStr(number) + ".bak";
}

enum class CopyStatus { Made, HeldAlready, NoRoom };

// Every copy holds a book some start-up could not read, so each stays as it is: the
// content goes under the first name nothing holds yet, unless a copy holds it already.
// `copy` is the name made, or the one that could not be made.
CopyStatus KeepCopy(const std::string& fileName, const std::string& content, std::string& copy) {
  for (int number = 1; number <= kMaxBookCopies; ++number) {
    copy = CopyName(fileName, number);
    std::string held;
    switch (ReadWholeFile(copy, held)) {
      case ReadStatus::Ok:
        if (held == content) return CopyStatus::HeldAlready;
        continue;
      case ReadStatus::Failed:  // something of the user's, or a copy that cannot be read
        continue;
      case ReadStatus::NotFound:
        return ReplaceFileContents(copy, content) == WriteStatus::Ok ? CopyStatus::Made
                                                                     : CopyStatus::NoRoom;
    }
  }
  copy = CopyName(fileName, 1);
  return CopyStatus::NoRoom;
}

// Keeps what the file holds beside it before it is replaced: Failed when it cannot.
TreeFileResult KeepUnreadBook(const std::string& fileName) {
  std::string original, error;
  switch (ReadWholeFile(fileName, original, &error)) {
    case ReadStatus::NotFound:
      return {};
    case ReadStatus::Failed:
      return Fail(error);
    case ReadStatus::Ok:
      break;
  }
  TreeFileResult result;
  std::string copy;
  switch (KeepCopy(fileName, original, copy)) {
    case CopyStatus::Made:
      result.keptAs = copy;
      break;
    case CopyStatus::HeldAlready:
      break;
    case CopyStatus::NoRoom:
      return CannotWrite(copy);
  }
  return result;
}

}  // namespace

NodeKinds RecipientFileKind(int number) {
  return {number >= kGroupNode && number <= kWorkgroupNode ? number : kAddressNode, number};
}

TreeFileResult ParseTreeText(std::string_view text, AddressTree& tree, KindMap kindOf,
                             NegativeDepth negative) {
  RecordReader in(text);
  // The node placed last and its ancestors, by depth: path[d] stands at depth d. Placing a
  // record needs only its parent from here, so a load costs the same at any depth.
  std::vector<Node> path;
  TreeFileResult result;
  for (;;) {
    int depth = 0;
    int kind = 0;
    if (!in.SkipBlanks()) break;
    if (!in.ReadNumber(depth) || (depth < 0 && negative == NegativeDepth::Invalid))
      return Fail(kInvalidNumber, result.deepest);
    // A depth alone at the very end holds no text: there is nothing to keep.
    if (!in.SkipBlanks()) break;
    if (!in.ReadNumber(kind)) return Fail(kInvalidNumber, result.deepest);
    std::string nodeText = in.ReadRestOfLine();

    size_t level = depth <= 0 ? 0 : std::min(static_cast<size_t>(depth), path.size());
    const NodeKinds kinds = kindOf(kind);
    Node node =
        tree.AddLast(level == 0 ? nullptr : path[level - 1], nodeText, kinds.kind, kinds.fileKind);
    if (!node) return Fail("Out of memory", result.deepest);
    path.resize(level);
    path.push_back(node);
    result.deepest = std::max(result.deepest, static_cast<int>(level));
  }
  return result;
}

std::string SerializeTree(const AddressTree& tree) {
  std::string out;
  ForEachNode(tree, [&](Node node, int depth) {
    out += IntToStr(depth);
    out += ' ';
    out += IntToStr(tree.FileKind(node));
    out += ' ';
    for (char c : tree.Text(node)) out += c == '\r' || c == '\n' || c == kCtrlZ ? ' ' : c;
    out += "\r\n";
  });
  return out;
}

TreeFileResult TreeLoadFromFile(const std::string& fileName, AddressTree& tree, KindMap kindOf,
                                NegativeDepth negative) {
  std::string text;
  std::string error;
  switch (ReadWholeFile(fileName, text, &error)) {
    case ReadStatus::NotFound:
      return {TreeFileStatus::NotFound, {}, 0, {}};
    case ReadStatus::Failed:
      return Fail(error);
    case ReadStatus::Ok:
      break;
  }
  return ParseTreeText(text, tree, kindOf, negative);
}

TreeFileResult TreeSaveToFile(const std::string& fileName, const AddressTree& tree) {
  std::string error;
  switch (ReplaceFileContents(fileName, SerializeTree(tree), &error)) {
    case WriteStatus::Ok:
      return {};
    case WriteStatus::NotCreated:
      return {TreeFileStatus::NotSaved, error, 0, {}};
    case WriteStatus::Failed:
      break;
  }
  return Fail(error);
}

TreeFileResult SaveAddressBook(const std::string& fileName, const AddressTree& tree,
                               bool fileWasReadWhole) {
  TreeFileResult kept;
  if (!fileWasReadWhole) {
    if (!tree.FirstTopLevel()) return {};
    kept = KeepUnreadBook(fileName);
    if (!kept.ok()) return kept;
  }
  TreeFileResult saved = TreeSaveToFile(fileName, tree);
  if (saved.status == TreeFileStatus::NotSaved) {
    std::string ignored;
    const bool fileStays = ReadWholeFile(fileName, ignored) != ReadStatus::NotFound;
    saved = tree.FirstTopLevel() || fileStays ? CannotWrite(fileName) : TreeFileResult{};
  }
  saved.keptAs = kept.keptAs;
  return saved;
}

}  // namespace korvel
