// What the compose commands decide without a window: the sender history, the message
// made of the text box's lines, and the delivery log's bound.
#include <gtest/gtest.h>

#include "base/text.h"
#include "sending/compose.h"
#include "sending/delivery_log.h"

using namespace korvel;

namespace {
using History = std::vector<std::string>;
std::string W(const char* utf8) { return Cp1251FromUtf8(utf8); }
}  // namespace

TEST(SenderHistory, LatinCaseIsIgnoredCyrillicCaseIsNot) {
  History h{"Ivan", "Petr"};
  EXPECT_EQ(AddToSenderList(h, "PETR", 5), "Petr");
  EXPECT_EQ(h, (History{"Petr", "Ivan"}));

  h = {W("Иван")};
  EXPECT_EQ(AddToSenderList(h, W("иван"), 5), W("иван"));
  EXPECT_EQ(h, (History{W("иван"), W("Иван")}));
  // Mixed: the Latin part without case, the Cyrillic part exactly.
  h = {W("pc-Иван"), "x"};
  EXPECT_EQ(AddToSenderList(h, W("PC-Иван"), 5), W("pc-Иван"));
  EXPECT_EQ(h, (History{W("pc-Иван"), "x"}));
  EXPECT_FALSE(SameSenderName("Ivan", "Iva"));
  EXPECT_FALSE(SameSenderName("[", "{"));  // not letters: no case to ignore
}

TEST(SenderHistory, TheListKeepsMaxSenderEntriesAndTakesTheEmptyName) {
  History h{"a", "b", "c", "d", "e"};
  EXPECT_EQ(AddToSenderList(h, "new", 5), "new");
  EXPECT_EQ(h, (History{"new", "a", "b", "c", "d"}));
  EXPECT_EQ(AddToSenderList(h, "", 5), "");
  EXPECT_EQ(h, (History{"", "new", "a", "b", "c"}));
  // One entry goes per call, even when the list was longer than the limit.
  h = {"a", "b", "c", "d"};
  AddToSenderList(h, "e", 2);
  EXPECT_EQ(h, (History{"e", "a", "b", "c"}));
}

TEST(SenderHistory, WithMaxSenderZeroOrLessTheJobStillGetsTheSenderJustUsed) {
  History h;
  EXPECT_EQ(AddToSenderList(h, "Ivan", 0), "Ivan");
  EXPECT_TRUE(h.empty());
  h = {"user"};
  EXPECT_EQ(AddToSenderList(h, "Ivan", -3), "Ivan");
  EXPECT_EQ(h, History{"Ivan"});
}

TEST(MessageText, LinesJoinWithCrLfAndTheEmptyLastLineDoesNotCount) {
  EXPECT_EQ(MessageFromLines({"a", "", "b"}), "a\r\n\r\nb");
  EXPECT_EQ(MessageFromLines({"a", ""}), "a");
  EXPECT_EQ(MessageFromLines({"a", "", ""}), "a\r\n");
  EXPECT_EQ(MessageFromLines({""}), "");
  EXPECT_EQ(MessageFromLines({}), "");
  EXPECT_EQ(MessageFromLines({"wrapped ", "line"}), "wrapped \r\nline");
}

TEST(DeliveryLogModel, NewestFirstAndNeverMoreThanMaxLineLog) {
  auto entry = [](int n) { return LogEntry{std::to_string(n), {}, n % 2}; };
  DeliveryLogModel log;
  for (int n = 1; n <= 300; ++n) log.Insert(entry(n), 300);
  ASSERT_EQ(log.Count(), 300u);
  log.Insert(entry(301), 300);
  EXPECT_EQ(log.Count(), 300u);
  EXPECT_EQ(log.At(0).text, "301");
  EXPECT_EQ(log.At(0).image, 1);
  EXPECT_EQ(log.At(299).text, "2");  // the oldest went
  log.Clear();
  EXPECT_EQ(log.Count(), 0u);
  log.Insert(entry(1), 300);
  EXPECT_EQ(log.Count(), 1u);

  for (int limit : {0, -1}) {
    DeliveryLogModel none;
    none.Insert(entry(1), limit);
    none.Insert(entry(2), limit);
    EXPECT_EQ(none.Count(), 0u) << limit;
  }
}
