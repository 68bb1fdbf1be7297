// The address imports' core: the scanner's files, a server's accounts, the target group.
#include <gtest/gtest.h>

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

std::string U(const char* utf8) { return Cp1251FromUtf8(utf8); }

// The tree as the address book file holds it, in UTF-8.
std::string Book(const AddressTree& tree) { return Utf8FromCp1251(SerializeTree(tree)); }

std::string Scan(std::string_view text, TreeFileResult* result = nullptr) {
  MemoryTree tree;
  TreeFileResult r = ParseScannerText(text, tree);
  if (result) *result = r;
  return Book(tree);
}

}  // namespace

TEST(ScannerFile, GroupsAndComputersArePlacedAsTheFileNestsThem) {
  EXPECT_EQ(Scan("0 0 Office\r\n1 5 192.168.0.2 (PC2)\r\n1 5 PC3\r\n0 8 Lab\r\n1 5 PC9\r\n"),
            "0 0 Office\r\n1 2 192.168.0.2 (PC2)\r\n1 2 PC3\r\n0 0 Lab\r\n1 2 PC9\r\n");
  // Only 0 and 8 make groups.
  EXPECT_EQ(Scan("0 1 a\r\n0 -1 b\r\n0 9 c\r\n0 8 d\r\n"), "0 2 a\r\n0 2 b\r\n0 2 c\r\n0 0 d\r\n");
  // The first entry goes to the top level whatever its level; the rest follow from where it
  // went. Back up from depth 2 to a sibling, then to the top level. An entry too deep is a
  // child of the one before it; blanks after the last entry add nothing.
  EXPECT_EQ(Scan("1 0 A\r\n1 5 a\r\n2 0 B\r\n2 5 X\r\n0 5 Y\r\n9 5 Z\r\n \r\n\r\n\t"),
            "0 0 A\r\n1 2 a\r\n2 0 B\r\n2 2 X\r\n0 2 Y\r\n1 2 Z\r\n");
}

TEST(ScannerFile, ABadNumberOrANegativeLevelStopsKeepingWhatCameBefore) {
  for (const char* line : {"-1 5 X", "0 x X", "1.0 5 X"}) {
    TreeFileResult r;
    EXPECT_EQ(Scan(std::string("0 0 A\r\n1 5 a\r\n") + line + "\r\n0 0 B\r\n", &r),
              "0 0 A\r\n1 2 a\r\n")
        << line;
    EXPECT_EQ(r.error, "Invalid numeric input") << line;
  }
}

TEST(ScannerFile, ACyrillicFileIsAppendedToTheBookAndAMissingOneToldApart) {
  TempDir dir;
  dir.Write("net.cmp", U("0 0 Бухгалтерия\r\n1 5 БУХ-ПК1 (главный)\r\n2 4 deeper\r\n"));
  MemoryTree tree;
  tree.AddLast(nullptr, "Old", kGroupNode);
  TreeFileResult r = ImportScannerFile(dir.Path("net.cmp"), tree);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.deepest, 2);
  EXPECT_EQ(Book(tree), "0 0 Old\r\n0 0 Бухгалтерия\r\n1 2 БУХ-ПК1 (главный)\r\n2 2 deeper\r\n");
  EXPECT_EQ(ImportScannerFile(dir.Path("none.cmp"), tree).status, TreeFileStatus::NotFound);
  EXPECT_EQ(ScannerAddressFolder("C:\\Scan"), "C:\\Scan\\IpAddresses\\");
}

namespace {

// A server that answers from a script, one answer per call; "not found" after it.
struct ScriptedServer : UserEnumerator {
  struct Answer {
    uint32_t status;
    std::vector<UserAccount> accounts;
    uint32_t resume = 0;
  };
  std::vector<Answer> answers;
  std::vector<std::string> calls;  // "server level resume"

  uint32_t Enumerate(const std::string& server, int level, uint32_t& resume,
                     std::vector<UserAccount>& accounts) override {
    calls.push_back(server + " " + std::to_string(level) + " " + std::to_string(resume));
    if (calls.size() > answers.size()) return 2351;
    const Answer& a = answers[calls.size() - 1];
    accounts = a.accounts;
    resume = a.resume;
    return a.status;
  }
};

std::vector<std::string> Lines(ScriptedServer& server, const char* name = "SRV") {
  return EnumUsers(server, name);
}

}  // namespace

TEST(ServerUsers, PagesAreReadWhileTheServerHasMoreLeavingComputerAccountsOut) {
  ScriptedServer server;
  server.answers = {{234, {{"Administrator", ""}, {"PC7$", "x"}}, 17},
                    {234, {{"$c", ""}, {"", "nobody"}}, 99},
                    {0, {{"ivanov", U("Иванов Иван")}}}};
  EXPECT_EQ(Lines(server),
            (std::vector<std::string>{"Administrator", "$c", U("ivanov (Иванов Иван)")}));
  EXPECT_EQ(server.calls,
            (std::vector<std::string>{"\\\\SRV 2 0", "\\\\SRV 2 17", "\\\\SRV 2 99"}));
}

TEST(ServerUsers, AFailureEndsTheListWithThePagesReadBeforeIt) {
  ScriptedServer failing;
  failing.answers = {{234, {{"a", ""}}, 1}, {53, {{"never", ""}}}};
  EXPECT_EQ(Lines(failing), std::vector<std::string>{"a"});
  ScriptedServer unknown;
  EXPECT_TRUE(Lines(unknown).empty());
  // "More" with nothing in it would never end.
  ScriptedServer empty;
  empty.answers = {{234, {{"a", ""}}, 1}, {234, {}, 2}, {234, {}, 3}};
  EXPECT_EQ(Lines(empty), std::vector<std::string>{"a"});
  EXPECT_EQ(empty.calls.size(), 2u);
}

// A server that keeps answering "more", as a faulty or hostile one may: the listing ends, and
// what it gathered stays within bounds.
struct EndlessServer : UserEnumerator {
  bool advance = true;
  long calls = 0;
  uint32_t Enumerate(const std::string&, int, uint32_t& resume,
                     std::vector<UserAccount>& accounts) override {
    if (++calls > 1000000) return 2351;  // the test's own brake
    accounts = {{"u" + std::to_string(calls), ""}, {"v" + std::to_string(calls), ""}};
    if (advance) ++resume;
    return 234;
  }
};

TEST(ServerUsers, AServerThatNeverStopsSayingMoreEndsTheListing) {
  // The same resume handle again: the next page would be this one once more.
  EndlessServer stuck;
  stuck.advance = false;
  EXPECT_EQ(EnumUsers(stuck, "SRV"), (std::vector<std::string>{"u1", "v1"}));
  EXPECT_EQ(stuck.calls, 1);
  // A handle that moves for ever: the listing stops at its bound.
  EndlessServer endless;
  const std::vector<std::string> lines = EnumUsers(endless, "SRV");
  EXPECT_EQ(lines.size(), kMaxServerAccounts);
  EXPECT_EQ(lines.back(), "v" + std::to_string(kMaxServerAccounts / 2));
  EXPECT_EQ(endless.calls, static_cast<long>(kMaxServerAccounts / 2));
}

TEST(ServerUsers, AServerRefusingLevelTwoIsAskedForLevelTwenty) {
  ScriptedServer server;
  server.answers = {{124, {}, 5}, {234, {{"a", "A"}}, 3}, {0, {{"b", ""}}}};
  EXPECT_EQ(Lines(server), (std::vector<std::string>{"a (A)", "b"}));
  EXPECT_EQ(server.calls,
            (std::vector<std::string>{"\\\\SRV 2 0", "\\\\SRV 20 0", "\\\\SRV 20 3"}));
}

TEST(ServerUsers, TheServerArgumentAlwaysGetsTwoBackslashesAndAtMost128Characters) {
  EXPECT_EQ(ServerArgument("\\\\SRV"), "\\\\\\\\SRV");
  EXPECT_EQ(ServerArgument(std::string(200, 'x')), "\\\\" + std::string(126, 'x'));
}

TEST(ImportTarget, GroupsAreListedInTreeOrderAndTheOnePickedGetsTheAddresses) {
  MemoryTree tree;
  ASSERT_TRUE(ParseTreeText(U("0 1 Office\r\n0 0 Office\r\n1 0 Office\r\n0 0 Вся сеть\r\n"
                              "0 0 вся сеть\r\n"),
                            tree)
                  .ok());
  std::vector<GroupChoice> groups = ListGroups(tree);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[2].text, U("вся сеть"));
  // Of groups of one name, the one picked; a new group only when something goes into it.
  EXPECT_EQ(AddToTarget(tree, {false, "", groups[1].node}, {"PC7", "PC8"}, kComputerNode), 2);
  EXPECT_EQ(AddToTarget(tree, {true, "", nullptr}, {}, kAddressNode), -1);
  EXPECT_EQ(AddToTarget(tree, {true, "", nullptr}, {"HOME"}, kWorkgroupNode), 1);
  EXPECT_EQ(Book(tree),
            "0 1 Office\r\n0 0 Office\r\n1 0 Office\r\n2 2 PC7\r\n2 2 PC8\r\n0 0 Вся сеть\r\n"
            "0 0 вся сеть\r\n0 0 Новая группа\r\n1 3 HOME\r\n");
}
