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

TEST(SenderHistory, LatinCaseIsIgnoredCyrillicIsNotAndTheListKeepsMaxSender) {
  History h{"Ivan", "Petr"};
  EXPECT_EQ(AddToSenderList(h, "PETR", 5), "Petr");  // moved up as stored
  EXPECT_EQ(h, (History{"Petr", "Ivan"}));
  h = {W("pc-Иван")};
  EXPECT_EQ(AddToSenderList(h, W("PC-иван"), 5), W("PC-иван"));
  EXPECT_EQ(h, (History{W("PC-иван"), W("pc-Иван")}));
  EXPECT_FALSE(SameSenderName("[", "{"));  // not letters: no case to ignore

  h = {"a", "b", "c", "d", "e"};
  AddToSenderList(h, "", 5);
  EXPECT_EQ(h, (History{"", "a", "b", "c", "d"}));
  h = {"a", "b", "c", "d"};  // one entry goes per call, even beyond the limit
  AddToSenderList(h, "e", 2);
  EXPECT_EQ(h, (History{"e", "a", "b", "c"}));
  // With MaxSender 0 or less nothing may stay, but the job still gets the sender just used.
  h = {};
  EXPECT_EQ(AddToSenderList(h, "Ivan", 0), "Ivan");
  EXPECT_TRUE(h.empty());
}

TEST(MessageText, LinesJoinWithCrLfAndTheEmptyLastLineDoesNotCount) {
  EXPECT_EQ(MessageFromLines({"a", "", "b"}), "a\r\n\r\nb");
  EXPECT_EQ(MessageFromLines({"a", "", ""}), "a\r\n");
  EXPECT_EQ(MessageFromLines({""}), "");
}

TEST(DeliveryLogModel, NewestFirstAndNeverMoreThanMaxLineLog) {
  auto entry = [](int n) { return LogEntry{std::to_string(n), {}, n % 2}; };
  DeliveryLogModel log;
  for (int n = 1; n <= 301; ++n) log.Insert(entry(n), 300);
  EXPECT_EQ(log.Count(), 300u);
  EXPECT_EQ(log.At(0).text, "301");
  EXPECT_EQ(log.At(299).text, "2");
  for (int limit : {0, -1}) {
    DeliveryLogModel none;
    none.Insert(entry(1), limit);
    EXPECT_EQ(none.Count(), 0u) << limit;
  }
}
