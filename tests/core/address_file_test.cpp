// The recipient file: placing records into the tree, the lenient reader, the writer, the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "addressbook/memory_tree.h"
#include "addressbook/recipient_file.h"
#include "base/text.h"
#include "tests/core/temp_dir.h"

using namespace korvel;

namespace {

// "text:kind" per node, children in braces: "A:0{PC1:2},B:0". Walks the tree by itself, so the
// reader is checked independently of the writer.
std::string Outline(const AddressTree& tree, Node first) {
  std::string out;
  for (Node n = first; n; n = tree.NextSibling(n)) {
    if (!out.empty()) out += ",";
    out += tree.Text(n) + ":" + std::to_string(tree.Kind(n));
    if (Node child = tree.FirstChild(n)) out += "{" + Outline(tree, child) + "}";
  }
  return out;
}

std::string Load(std::string_view text, TreeFileResult* result = nullptr) {
  MemoryTree tree;
  TreeFileResult r = ParseTreeText(text, tree);
  if (result) *result = r;
  return Outline(tree, tree.FirstTopLevel());
}

}  // namespace

TEST(RecipientFile, SavesOneLinePerNodeDepthFirstAndLoadsItBack) {
  MemoryTree tree;
  Node a = tree.AddLast(nullptr, "A", kGroupNode);
  tree.AddLast(a, "PC1", kComputerNode);
  tree.AddLast(a, "ivanov", kAddressNode);
  tree.AddLast(nullptr, "B", kGroupNode);
  std::string saved = SerializeTree(tree);
  EXPECT_EQ(saved, "0 0 A\r\n1 2 PC1\r\n1 1 ivanov\r\n0 0 B\r\n");
  EXPECT_EQ(Load(saved), "A:0{PC1:2,ivanov:1},B:0");
}

TEST(RecipientFile, TextsKeepInnerBlanksLoseOuterOnesAndMayBeEmpty) {
  MemoryTree tree;
  Node g = tree.AddLast(nullptr, Cp1251FromUtf8("  Новая группа \t"), kGroupNode);
  tree.AddLast(g, "", kAddressNode);
  tree.AddLast(g, std::string("x\0y", 3), kAddressNode);
  std::string saved = SerializeTree(tree);
  EXPECT_EQ(saved,
            Cp1251FromUtf8("0 0   Новая группа \t\r\n1 1 \r\n") + std::string("1 1 x\0y\r\n", 9));
  EXPECT_EQ(Load(saved), Cp1251FromUtf8("Новая группа:0{:1,") + std::string("x\0y:1}", 6));
}

TEST(RecipientFile, TextsThatWouldBreakTheFileAreWrittenWithBlanks) {
  MemoryTree tree;
  tree.AddLast(nullptr,
               "a\r\n1 1 b\rc\x1A"
               "d",
               kAddressNode);
  tree.AddLast(nullptr, "next", kAddressNode);
  EXPECT_EQ(Load(SerializeTree(tree)), "a  1 1 b c d:1,next:1");
}

TEST(RecipientFile, PlacesEachRecordRelativeToTheOneBefore) {
  EXPECT_EQ(Load("0 0 Office\r\n1 0 Floor 2\r\n2 2 PC7\r\n0 0 Home\r\n"),
            "Office:0{Floor 2:0{PC7:2}},Home:0");
  // The first record goes to the top level whatever its depth; the rest follow from it.
  EXPECT_EQ(Load("2 1 x\r\n3 1 y\r\n1 1 z\r\n0 1 t\r\n"), "x:1{y:1,z:1},t:1");
  // Climbing back to depth 1 from depth 3 lands under the right ancestor.
  EXPECT_EQ(Load("0 0 A\n1 0 B\n2 0 C\n3 2 D\n1 2 E\n2 2 F\n0 0 G\n"),
            "A:0{B:0{C:0{D:2}},E:2{F:2}},G:0");
}

TEST(RecipientFile, RecordsThatFitNoPlaceAreKeptWithTheirOwnKinds) {
  // Too deep: a child of the node before it, whose kind stays as it was.
  EXPECT_EQ(Load("0 0 A\r\n3 2 PC\r\n9 1 u\r\n1 1 v\r\n"), "A:0{PC:2{u:1},v:1}");
  // Negative: the top level.
  EXPECT_EQ(Load("0 0 A\r\n1 1 a\r\n-3 0 B\r\n-2147483648 0 C\r\n"), "A:0{a:1},B:0,C:0");
  // A kind this program never writes shows as an address and is written back as it was read,
  // so a file the program does not understand is not changed behind the user's back.
  const std::string odd = "0 7 A\r\n1 -1 B\r\n0 3 C\r\n";
  EXPECT_EQ(Load(odd), "A:1{B:1},C:3");
  MemoryTree tree;
  ASSERT_TRUE(ParseTreeText(odd, tree).ok());
  EXPECT_EQ(SerializeTree(tree), odd);
}

TEST(RecipientFile, ReaderIsLenientAboutBlanksAndLineEnds) {
  const char* same[] = {
      "0 0 A\r\n1 2 PC1\r\n",
      "\r\n\r\n  0\t 0   A  \r\n\r\n 1 2 PC1",    // extra blanks, no final line break
      "0\r\n0 A\r\n1\r\n\r\n2 PC1\r\n",           // a number may be on a later line
      "0 0 A\n1 2 PC1\n\n   \n\t",                // LF only, trailing blanks: no phantom node
      "0 0 A\r1 2 PC1\r",                         // lone CR
      "0 0 A\r\n1 2 PC1\r\n\0320 0 ignored\r\n",  // Ctrl+Z ends the file
      "0 0 A\r\n1 2 PC1\x1A more\r\n",            // ... also inside a text
      "0 0 A\r\n1 2 PC1\r\n5",                    // a depth alone at the end holds nothing
      "0 0 A\r\n1 +02 PC1\r\n",
  };
  for (const char* text : same) EXPECT_EQ(Load(text), "A:0{PC1:2}") << text;
  EXPECT_EQ(Load(""), "");
  EXPECT_EQ(Load("\0320 0 A"), "");
  EXPECT_EQ(Load("0 1\r\n0 1 \r\n0 1"), ":1,:1,:1");
}

TEST(RecipientFile, BadNumberStopsTheLoadKeepingEarlierNodes) {
  // The long one has 33 characters; 32 are allowed (below).
  const char* bad[] = {"x 1 B",          "1.5 1 B",
                       "0 1x B",         "0 1PC7",
                       "- 1 B",          "0 -- B",
                       "0 \x80 B",       "99999999999 1 B",
                       "0 2147483648 B", "000000000000000000000000000000001 1 B"};
  for (const char* line : bad) {
    TreeFileResult r;
    EXPECT_EQ(Load(std::string("0 0 A\r\n1 1 a\r\n") + line + "\r\n0 0 C\r\n", &r), "A:0{a:1}")
        << line;
    EXPECT_EQ(r.status, TreeFileStatus::Failed);
    EXPECT_EQ(r.error, "Invalid numeric input");
  }
  TreeFileResult r;
  EXPECT_EQ(Load("00000000000000000000000000000001 1 B", &r), "B:1");  // 32 characters
  EXPECT_TRUE(r.ok());
}

TEST(RecipientFile, AppendsAfterExistingNodesAndServesOtherKindMaps) {
  MemoryTree tree;
  tree.AddLast(nullptr, "Old", kGroupNode);
  // The scanner's files: kinds 0 and 8 are groups, any other a computer.
  auto scannerKind = [](int k) {
    int kind = k == 0 || k == 8 ? kGroupNode : kComputerNode;
    return NodeKinds{kind, kind};
  };
  EXPECT_TRUE(ParseTreeText("1 0 Office\r\n1 5 192.168.0.2 (PC2)\r\n1 5 PC3\r\n0 8 Lab\r\n1 5 PC9",
                            tree, scannerKind)
                  .ok());
  EXPECT_EQ(Outline(tree, tree.FirstTopLevel()),
            "Old:0,Office:0{192.168.0.2 (PC2):2,PC3:2},Lab:0{PC9:2}");
}

TEST(RecipientFile, VeryDeepAndVeryWideBooksLoadInLinearTime) {
  // 100,000 levels, then 100,000 children of the top node. A reader that walked up the tree
  // to learn the depth of each line would take minutes here.
  std::string text;
  for (int depth = 0; depth < 100000; ++depth) text += std::to_string(depth) + " 0 n\r\n";
  for (int i = 0; i < 100000; ++i) text += "1 1 a\r\n";
  MemoryTree tree;
  ASSERT_TRUE(ParseTreeText(text, tree).ok());
  EXPECT_EQ(tree.Count(), 200000u);
  EXPECT_EQ(SerializeTree(tree), text);
}

TEST(AddressTree, ASubtreeWalkStaysBelowItsRootAtAnyDepth) {
  MemoryTree tree;
  Node a = tree.AddLast(nullptr, "A", kGroupNode);
  Node b = tree.AddLast(a, "B", kGroupNode);
  tree.AddLast(b, "C", kAddressNode);
  tree.AddLast(a, "D", kAddressNode);
  tree.AddLast(nullptr, "E", kGroupNode);
  auto walk = [&](Node root) {
    std::string seen;
    ForEachInSubtree(tree, root,
                     [&](Node n, int depth) { seen += tree.Text(n) + std::to_string(depth); });
    return seen;
  };
  EXPECT_EQ(walk(b), "B0C1");
  EXPECT_EQ(walk(a), "A0B1C2D1");
  std::string all;
  ForEachNode(tree, [&](Node n, int depth) { all += tree.Text(n) + std::to_string(depth); });
  EXPECT_EQ(all, "A0B1C2D1E0");

  // A chain far deeper than any stack would take one frame per level for.
  MemoryTree chain;
  Node node = chain.AddLast(nullptr, "0", kGroupNode);
  Node middle = nullptr;
  for (int i = 1; i < 1000000; ++i) {
    node = chain.AddLast(node, "", kGroupNode);
    if (i == 500000) middle = node;
  }
  int count = 0, deepest = 0;
  ForEachInSubtree(chain, middle, [&](Node, int depth) {
    ++count;
    deepest = depth;
  });
  EXPECT_EQ(count, 500000);
  EXPECT_EQ(deepest, 499999);
}

TEST(RecipientFileOnDisk, SavesAndLoadsThroughTheFile) {
  TempDir dir;
  MemoryTree tree;
  tree.AddLast(tree.AddLast(nullptr, "A", kGroupNode), "PC1", kComputerNode);
  ASSERT_TRUE(TreeSaveToFile(dir.Path("book.dat"), tree).ok());
  EXPECT_EQ(dir.Read("book.dat"), "0 0 A\r\n1 2 PC1\r\n");
  MemoryTree loaded;
  ASSERT_TRUE(TreeLoadFromFile(dir.Path("book.dat"), loaded).ok());
  EXPECT_EQ(Outline(loaded, loaded.FirstTopLevel()), "A:0{PC1:2}");
}

TEST(RecipientFileOnDisk, MissingFileIsAnEmptyBookAndUnreadableOneAnError) {
  TempDir dir;
  MemoryTree tree;
  EXPECT_EQ(TreeLoadFromFile(dir.Path("none.dat"), tree).status, TreeFileStatus::NotFound);
  EXPECT_EQ(TreeLoadFromFile(dir.Path("no/such/folder.dat"), tree).status,
            TreeFileStatus::NotFound);
  EXPECT_EQ(tree.Count(), 0u);
  // A folder in place of the file opens but cannot be read.
  TreeFileResult r = TreeLoadFromFile(dir.Path(""), tree);
  EXPECT_EQ(r.status, TreeFileStatus::Failed);
  EXPECT_FALSE(r.error.empty());
}

TEST(RecipientFileOnDisk, SaveThatCannotCreateTheFileChangesNothing) {
  TempDir dir;
  MemoryTree tree;
  tree.AddLast(nullptr, "new", kGroupNode);
  EXPECT_EQ(TreeSaveToFile(dir.Path("missing/book.dat"), tree).status, TreeFileStatus::NotSaved);
  EXPECT_FALSE(dir.Exists("missing"));
  dir.Write("book.dat", "0 0 old\r\n");
  dir.MakeReadOnly("book.dat");
  EXPECT_EQ(TreeSaveToFile(dir.Path("book.dat"), tree).status, TreeFileStatus::NotSaved);
  EXPECT_EQ(dir.Read("book.dat"), "0 0 old\r\n");
}

TEST(AddressBookAtExit, AFileNotReadWholeIsKeptBesideBeforeItIsReplaced) {
  TempDir dir;
  const std::string book = dir.Path("book.dat");
  const std::string original = "0 0 A\r\n1 2 PC1\r\nx 1 bad\r\n0 0 B\r\n";
  dir.Write("book.dat", original);
  MemoryTree tree;
  ASSERT_EQ(TreeLoadFromFile(book, tree).status, TreeFileStatus::Failed);
  tree.AddLast(nullptr, "New", kGroupNode);

  TreeFileResult r = SaveAddressBook(book, tree, false);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.keptAs, dir.Path("book.dat.bak"));
  EXPECT_EQ(dir.Read("book.dat.bak"), original);
  EXPECT_EQ(dir.Read("book.dat"), "0 0 A\r\n1 2 PC1\r\n0 0 New\r\n");

  // Read whole: saved as it is, the copy of the earlier file stays as it was.
  r = SaveAddressBook(book, tree, true);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.keptAs, "");
  EXPECT_EQ(dir.Read("book.dat.bak"), original);
}

// Start-ups that cannot read the book one after another (a file that stays unreadable, a
// start-up that stopped before the load): each copy is one the program could not read, so
// none is ever written over, and a content already kept is not kept twice.
TEST(AddressBookAtExit, AnEarlierCopyIsNeverWrittenOver) {
  TempDir dir;
  const std::string book = dir.Path("book.dat");
  auto runWithoutReading = [&](const char* added) {
    MemoryTree tree;
    tree.AddLast(nullptr, added, kGroupNode);
    return SaveAddressBook(book, tree, false);
  };
  dir.Write("book.dat", "0 0 Real\r\n");
  ASSERT_EQ(runWithoutReading("X").keptAs, dir.Path("book.dat.bak"));
  TreeFileResult second = runWithoutReading("Y");
  ASSERT_TRUE(second.ok()) << second.error;
  EXPECT_EQ(second.keptAs, dir.Path("book.dat.2.bak"));
  EXPECT_EQ(dir.Read("book.dat.bak"), "0 0 Real\r\n");
  EXPECT_EQ(dir.Read("book.dat.2.bak"), "0 0 X\r\n");
  EXPECT_EQ(dir.Read("book.dat"), "0 0 Y\r\n");

  // The user put the first copy back by hand and it still cannot be read: it is kept already.
  dir.Write("book.dat", "0 0 Real\r\n");
  TreeFileResult again = runWithoutReading("Z");
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.keptAs, "");
  EXPECT_FALSE(dir.Exists("book.dat.3.bak"));
  EXPECT_EQ(dir.Read("book.dat"), "0 0 Z\r\n");
}

TEST(AddressBookAtExit, NothingReadAndNothingToSaveLeavesTheFileAlone) {
  TempDir dir;
  dir.Write("book.dat", "0 0 A\r\n");
  MemoryTree empty;
  ASSERT_TRUE(SaveAddressBook(dir.Path("book.dat"), empty, false).ok());
  EXPECT_EQ(dir.Read("book.dat"), "0 0 A\r\n");
  EXPECT_FALSE(dir.Exists("book.dat.bak"));

  // Read whole, an emptied book is an empty file: the user deleted everything.
  ASSERT_TRUE(SaveAddressBook(dir.Path("book.dat"), empty, true).ok());
  EXPECT_EQ(dir.Read("book.dat"), "");
}

TEST(AddressBookAtExit, WithoutRoomForTheCopyTheFileIsNotReplaced) {
  TempDir dir;
  dir.Write("book.dat", "0 0 A\r\n");
  // Every name a copy may take holds another book already.
  dir.Write("book.dat.bak", "copy 1");
  for (int i = 2; i <= 99; ++i) dir.Write("book.dat." + std::to_string(i) + ".bak", "copy");
  MemoryTree tree;
  tree.AddLast(nullptr, "B", kGroupNode);
  TreeFileResult r = SaveAddressBook(dir.Path("book.dat"), tree, false);
  EXPECT_EQ(r.status, TreeFileStatus::Failed);
  EXPECT_EQ(r.error, "Unable to write to " + dir.Path("book.dat.bak"));
  EXPECT_EQ(dir.Read("book.dat"), "0 0 A\r\n");
  EXPECT_EQ(dir.Read("book.dat.bak"), "copy 1");
  EXPECT_FALSE(dir.Exists("book.dat.100.bak"));
}

TEST(AddressBookAtExit, ASaveThatCannotHappenIsReportedWhenItLosesSomething) {
  TempDir dir;
  MemoryTree tree;
  tree.AddLast(nullptr, "A", kGroupNode);
  TreeFileResult r = SaveAddressBook(dir.Path("missing/book.dat"), tree, true);
  EXPECT_EQ(r.status, TreeFileStatus::Failed);
  EXPECT_EQ(r.error, "Unable to write to " + dir.Path("missing/book.dat"));
  // An empty book and no file: nothing is lost.
  MemoryTree empty;
  EXPECT_TRUE(SaveAddressBook(dir.Path("missing/book.dat"), empty, true).ok());
}

TEST(AddressBookSave, FilesAndFoldersBesideTheBookNeitherStopTheSaveNorAreTouched) {
  // Whatever stands beside the book under a name a save might think of taking.
  TempDir dir;
  const std::string first = "book.dat.~" + std::to_string(TempDir::Pid()) + "-1.tmp";
  const std::string second = "book.dat.~" + std::to_string(TempDir::Pid()) + "-2.tmp";
  dir.Write("book.dat", "0 0 Old\r\n");
  dir.Write("book.dat.tmp", "the user's own file");
  std::filesystem::create_directory(dir.Path(first));
  dir.Write(second, "another");
  MemoryTree tree;
  tree.AddLast(nullptr, "New", kGroupNode);
  ASSERT_TRUE(TreeSaveToFile(dir.Path("book.dat"), tree).ok());
  EXPECT_EQ(dir.Read("book.dat"), "0 0 New\r\n");
  EXPECT_EQ(dir.Read("book.dat.tmp"), "the user's own file");
  EXPECT_EQ(dir.Read(second), "another");
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir.Path("")))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected{"book.dat", "book.dat.tmp", first, second};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>

TEST(AddressBookSave, ADiskThatFillsPartWayLeavesThePreviousFileIntact) {
  // The process may write no file larger than 4 KB: the new book stops part-way, as on a
  // disk that fills up.
  TempDir dir;
  dir.Write("book.dat", "0 0 Old\r\n");
  MemoryTree tree;
  for (int i = 0; i < 1000; ++i) tree.AddLast(nullptr, "group " + std::to_string(i), kGroupNode);
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  TreeFileResult r = TreeSaveToFile(dir.Path("book.dat"), tree);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(r.status, TreeFileStatus::Failed);
  EXPECT_EQ(r.error.rfind("Disk full", 0), 0u) << r.error;
  EXPECT_EQ(dir.Read("book.dat"), "0 0 Old\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path("")), {}), 1);
}
#endif
