// The address imports' core: the scanner's files, a server's accounts, the target group.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "addressbook/memory_tree.h"
#include "addressbook/recipient_file.h"
#include "base/text.h"
#include "import/import_target.h"
#include "import/scanner_file.h"
#include "import/server_users.h"
#include "tests/core/temp_dir.h"

using namespace korvel;

namespace {

// "text:kind" per node, children in braces.
std::string Outline(const AddressTree& tree, Node first) {
  std::string out;
  for (Node n = first; n; n = tree.NextSibling(n)) {
    if (!out.empty()) out += ",";
    out += tree.Text(n) + ":" + std::to_string(tree.Kind(n));
    if (Node child = tree.FirstChild(n)) out += "{" + Outline(tree, child) + "}";
  }
  return out;
}

std::string Scan(std::string_view text, TreeFileResult* result = nullptr) {
  MemoryTree tree;
  TreeFileResult r = ParseScannerText(text, tree);
  if (result) *result = r;
  return Outline(tree, tree.FirstTopLevel());
}

std::string U(const char* utf8) { return Cp1251FromUtf8(utf8); }

}  // namespace

TEST(ScannerFile, GroupsAndComputersArePlacedAsTheFileNestsThem) {
  EXPECT_EQ(Scan("0 0 Office\r\n1 5 192.168.0.2 (PC2)\r\n1 5 PC3\r\n0 8 Lab\r\n1 5 PC9\r\n"),
            "Office:0{192.168.0.2 (PC2):2,PC3:2},Lab:0{PC9:2}");
  // The first entry goes to the top level whatever its level; the rest follow from where it
  // went, not from its level.
  EXPECT_EQ(Scan("1 0 A\r\n1 5 a\r\n2 5 b\r\n0 0 B\r\n"), "A:0{a:2{b:2}},B:0");
  // Back up from depth 2 to a sibling, then to the top level.
  EXPECT_EQ(Scan("0 0 A\r\n1 0 B\r\n2 5 C\r\n2 5 X\r\n0 5 Y\r\n"), "A:0{B:0{C:2,X:2}},Y:2");
  // Only 0 and 8 make groups.
  EXPECT_EQ(Scan("0 1 a\r\n0 2 b\r\n0 3 c\r\n0 -1 d\r\n0 9 e\r\n0 8 f\r\n0 0 g\r\n"),
            "a:2,b:2,c:2,d:2,e:2,f:0,g:0");
}

TEST(ScannerFile, BlanksAndEmptyLinesChangeNothingNotEvenAfterTheLastEntry) {
  const char* same[] = {
      "0 0 Office\r\n1 5 PC3\r\n",
      "\r\n\r\n  0 \t 0    Office  \r\n\r\n\r\n 1   5   PC3   \r\n\r\n  \r\n\t",
      "0 0 Office\n1 5 PC3\n\n\n",
      "0 0 Office\r\n1 5 PC3\r\n\x1A"
      "0 0 after the end\r\n",
  };
  for (const char* text : same) EXPECT_EQ(Scan(text), "Office:0{PC3:2}") << text;
}

TEST(ScannerFile, AnEntryTooDeepBecomesAChildOfTheOneBefore) {
  EXPECT_EQ(Scan("0 0 A\r\n3 5 PC\r\n9 5 deeper\r\n1 5 B\r\n"), "A:0{PC:2{deeper:2},B:2}");
}

TEST(ScannerFile, ABadNumberOrANegativeLevelStopsKeepingWhatCameBefore) {
  for (const char* line : {"-1 5 X", "0 x X", "x 5 X", "1.0 5 X", "-0x1 5 X"}) {
    TreeFileResult r;
    EXPECT_EQ(Scan(std::string("0 0 A\r\n1 5 a\r\n") + line + "\r\n0 0 B\r\n", &r), "A:0{a:2}")
        << line;
    EXPECT_EQ(r.status, TreeFileStatus::Failed) << line;
    EXPECT_EQ(r.error, "Invalid numeric input") << line;
  }
  // The kind may be negative; only the level may not.
  TreeFileResult r;
  EXPECT_EQ(Scan("0 -8 A", &r), "A:2");
  EXPECT_TRUE(r.ok());
}

TEST(ScannerFile, ImportedNodesFollowTheBookAndAreSavedAsWhatTheyBecame) {
  MemoryTree tree;
  ASSERT_TRUE(ParseTreeText("0 0 Office\r\n1 2 PC1\r\n", tree).ok());
  const char* file = "0 8 Office\r\n1 5 PC1\r\n1 4 deep\r\n2 5 deeper\r\n";
  TreeFileResult first = ParseScannerText(file, tree);
  TreeFileResult second = ParseScannerText(file, tree);
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_EQ(first.deepest, 2);
  EXPECT_EQ(SerializeTree(tree),
            "0 0 Office\r\n1 2 PC1\r\n"
            "0 0 Office\r\n1 2 PC1\r\n1 2 deep\r\n2 2 deeper\r\n"
            "0 0 Office\r\n1 2 PC1\r\n1 2 deep\r\n2 2 deeper\r\n");
}

TEST(ScannerFile, ReadsACyrillicFileFromDiskAndTellsAMissingOneApart) {
  TempDir dir;
  dir.Write("net.cmp", U("0 0 Бухгалтерия\r\n1 5 БУХ-ПК1 (главный)\r\n0 8 Склад\r\n"));
  MemoryTree tree;
  TreeFileResult r = ImportScannerFile(dir.Path("net.cmp"), tree);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(Outline(tree, tree.FirstTopLevel()), U("Бухгалтерия:0{БУХ-ПК1 (главный):2},Склад:0"));

  MemoryTree untouched;
  EXPECT_EQ(ImportScannerFile(dir.Path("none.cmp"), untouched).status, TreeFileStatus::NotFound);
  EXPECT_EQ(untouched.Count(), 0u);
  EXPECT_EQ(ScannerAddressFolder("C:\\Scan"), "C:\\Scan\\IpAddresses\\");
  EXPECT_EQ(ScannerAddressFolder("C:\\Scan\\"), "C:\\Scan\\\\IpAddresses\\");
}

namespace {

// A server that answers from a script: one entry per call, in order.
struct ScriptedServer : UserEnumerator {
  struct Answer {
    uint32_t status;
    std::vector<UserAccount> accounts;
    uint32_t resume = 0;
  };
  std::vector<Answer> answers;
  struct Call {
    std::string server;
    int level;
    uint32_t resume;
  };
  std::vector<Call> calls;

  uint32_t Enumerate(const std::string& server, int level, uint32_t& resume,
                     std::vector<UserAccount>& accounts) override {
    calls.push_back({server, level, resume});
    if (calls.size() > answers.size()) return 2351;
    const Answer& a = answers[calls.size() - 1];
    accounts = a.accounts;
    resume = a.resume;
    return a.status;
  }
};

}  // namespace

TEST(ServerUsers, LinesNameTheAccountAndItsFullNameAndLeaveComputersOut) {
  ScriptedServer server;
  server.answers = {{0, {{"Administrator", ""}, {"ivanov", U("Иванов Иван")}, {"PC7$", "x"}}}};
  EXPECT_EQ(EnumUsers(server, "SRV"),
            (std::vector<std::string>{"Administrator", U("ivanov (Иванов Иван)")}));
  ASSERT_EQ(server.calls.size(), 1u);
  EXPECT_EQ(server.calls[0].server, "\\\\SRV");
  EXPECT_EQ(server.calls[0].level, 2);
  EXPECT_EQ(server.calls[0].resume, 0u);
}

TEST(ServerUsers, PagesAreReadWhileTheServerHasMoreWithItsResumeHandle) {
  ScriptedServer server;
  server.answers = {{234, {{"a", ""}, {"b$", ""}}, 17},
                    {234, {{"$c", ""}, {"", "nobody"}}, 99},
                    {0, {{"d", "D"}}, 0}};
  EXPECT_EQ(EnumUsers(server, "S"), (std::vector<std::string>{"a", "$c", "d (D)"}));
  ASSERT_EQ(server.calls.size(), 3u);
  EXPECT_EQ(server.calls[1].resume, 17u);
  EXPECT_EQ(server.calls[2].resume, 99u);
}

TEST(ServerUsers, AFailureKeepsThePagesReadBeforeIt) {
  ScriptedServer server;
  server.answers = {{234, {{"a", ""}}, 1}, {53, {{"never", ""}}, 0}};
  EXPECT_EQ(EnumUsers(server, "S"), std::vector<std::string>{"a"});
  EXPECT_EQ(server.calls.size(), 2u);

  ScriptedServer unknown;
  unknown.answers = {{2351, {{"never", ""}}}};
  EXPECT_TRUE(EnumUsers(unknown, "S").empty());
  EXPECT_EQ(unknown.calls.size(), 1u);

  // "More" with nothing in it would never end.
  ScriptedServer stuck;
  stuck.answers = {{234, {{"a", ""}}, 1}, {234, {}, 1}, {234, {}, 1}};
  EXPECT_EQ(EnumUsers(stuck, "S"), std::vector<std::string>{"a"});
  EXPECT_EQ(stuck.calls.size(), 2u);
}

TEST(ServerUsers, AServerRefusingLevelTwoIsAskedForLevelTwenty) {
  ScriptedServer server;
  server.answers = {{124, {}, 5}, {234, {{"a", "A"}}, 3}, {0, {{"b", ""}}, 0}};
  EXPECT_EQ(EnumUsers(server, "S"), (std::vector<std::string>{"a (A)", "b"}));
  ASSERT_EQ(server.calls.size(), 3u);
  EXPECT_EQ(server.calls[0].level, 2);
  EXPECT_EQ(server.calls[1].level, 20);
  EXPECT_EQ(server.calls[1].resume, 0u);
  EXPECT_EQ(server.calls[2].level, 20);
  EXPECT_EQ(server.calls[2].resume, 3u);

  ScriptedServer neither;
  neither.answers = {{124, {}}, {124, {}}};
  EXPECT_TRUE(EnumUsers(neither, "S").empty());
  EXPECT_EQ(neither.calls.size(), 2u);
}

TEST(ServerUsers, TheServerArgumentAlwaysGetsTwoBackslashesAndAtMost128Characters) {
  EXPECT_EQ(ServerArgument("\\\\SRV"), "\\\\\\\\SRV");
  EXPECT_EQ(ServerArgument(""), "\\\\");
  EXPECT_EQ(ServerArgument(std::string(126, 'x')), "\\\\" + std::string(126, 'x'));
  EXPECT_EQ(ServerArgument(std::string(200, 'x')), "\\\\" + std::string(126, 'x'));
}

namespace {

struct Book {
  MemoryTree tree;
  explicit Book(const char* text) { EXPECT_TRUE(ParseTreeText(U(text), tree).ok()); }
  std::string Outline() const { return ::Outline(tree, tree.FirstTopLevel()); }
  std::vector<std::string> GroupTexts() const {
    std::vector<std::string> texts;
    for (const GroupChoice& g : ListGroups(tree)) texts.push_back(g.text);
    return texts;
  }
};

}  // namespace

TEST(ImportTarget, TheListHoldsEveryGroupInTreeOrderButTheWholeNetwork) {
  Book book(
      "0 0 Office\r\n1 0 Floor 2\r\n2 0 Office\r\n1 2 PC\r\n0 0 Вся сеть\r\n0 3 Вся сеть\r\n"
      "0 0 вся сеть\r\n0 1 Lab\r\n0 0 Lab\r\n");
  EXPECT_EQ(book.GroupTexts(),
            (std::vector<std::string>{"Office", "Floor 2", "Office", U("вся сеть"), "Lab"}));
  Book empty("0 1 ivanov\r\n0 2 PC\r\n");
  EXPECT_TRUE(ListGroups(empty.tree).empty());
}

TEST(ImportTarget, AddressesGoIntoThePickedGroupEvenWhenItsNameIsNotUnique) {
  Book book("0 1 Office\r\n0 0 Office\r\n1 0 Office\r\n");
  std::vector<GroupChoice> groups = ListGroups(book.tree);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(AddToTarget(book.tree, {false, "", groups[1].node}, {"PC7", "PC8"}, kComputerNode), 2);
  EXPECT_EQ(book.Outline(), "Office:1,Office:0{Office:0{PC7:2,PC8:2}}");
}

TEST(ImportTarget, ANewGroupIsMadeAtTheEndOnlyWhenSomethingGoesIntoIt) {
  Book book("0 0 Office\r\n");
  EXPECT_EQ(AddToTarget(book.tree, {true, "", nullptr}, {}, kAddressNode), -1);
  EXPECT_EQ(book.Outline(), "Office:0");
  EXPECT_EQ(AddToTarget(book.tree, {true, "", nullptr}, {"HOME"}, kWorkgroupNode), 1);
  EXPECT_EQ(AddToTarget(book.tree, {true, "Office", nullptr}, {"a", "b"}, kAddressNode), 1);
  EXPECT_EQ(book.Outline(), U("Office:0,Новая группа:0{HOME:3},Office:0{a:1,b:1}"));
}
