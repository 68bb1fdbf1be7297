// The send worker against a scripted transport and a clock the test drives: the
// sender-name policy, refusals, repetitions and their pacing, what the transport is given
// and the log texts byte for byte.
#include "sending/send_worker.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "tests/core/send_fakes.h"

using namespace korvel;
using namespace korvel::test;

namespace {

// The log texts as Windows-1251 bytes, spelt out: "Cообщение " begins with a Latin C.
const std::string kMessage = "C\xEE\xEE\xE1\xF9\xE5\xED\xE8\xE5 ";
const std::string kSent = " \xEE\xF2\xEF\xF0\xE0\xE2\xEB\xE5\xED\xEE";
const std::string kNotSent = " \xED\xE5" + kSent;
const std::string kIvan = "\xC8\xE2\xE0\xED";  // Иван

using Kind = ScriptedMessenger::Kind;
using Kinds = std::vector<Kind>;

class SendWorker : public ::testing::Test {
 protected:
  void Run(const std::string& recipient, int32_t count, int32_t interval,
           const std::string& message = "hi") {
    TSendThread(rig.Job(), kIvan, recipient, message, count, interval).Execute();
  }
  Kinds CallKinds() {
    Kinds kinds;
    for (auto& c : rig.messenger->Calls()) kinds.push_back(c.kind);
    return kinds;
  }
  // Records when each delivery starts; each takes `ms`.
  void DeliveriesTake(uint32_t ms) {
    rig.messenger->answer = [this, ms](const ScriptedMessenger::Call&) {
      startedAt.push_back(rig.system->ticks);
      rig.system->ticks += ms;
      return 0u;
    };
  }
  JobRig rig;
  std::vector<uint32_t> startedAt;
};

}  // namespace

TEST_F(SendWorker, SenderNamePolicyDecidesTheFromNameAndTheRegistration) {
  struct Row {
    bool patchInstalled;
    uint8_t whatSend;
    bool fromSender;  // else the computer's own name
    bool registers;
  };
  for (Row row :
       {Row{false, 0, true, false}, Row{false, 1, true, false}, Row{true, 0, false, false},
        Row{true, 1, true, true}, Row{true, 7, true, false}}) {
    SCOPED_TRACE(testing::Message() << row.patchInstalled << "/" << int(row.whatSend));
    rig = JobRig{};
    rig.policy->Set({row.patchInstalled, row.whatSend});
    Run("PC7", 1, 0);
    auto send = rig.messenger->Sends().at(0);
    EXPECT_EQ(send.name, u"PC7");
    EXPECT_EQ(send.from, row.fromSender ? std::optional(Utf16FromCp1251(kIvan)) : std::nullopt);
    const Kinds registered{Kind::kNameAdd, Kind::kSend, Kind::kNameDel};
    EXPECT_EQ(CallKinds(), row.registers ? registered : Kinds{Kind::kSend});
    EXPECT_EQ(rig.host->Texts(), std::vector<std::string>{kMessage + "PC7" + kSent});
  }

  // A refused name: nothing is sent, one failure names sender and recipient.
  rig = JobRig{};
  rig.messenger->answer = [](const ScriptedMessenger::Call& c) {
    return c.kind == Kind::kNameAdd ? 2273u : 0u;
  };
  Run("PC7", 3, 1);
  EXPECT_EQ(CallKinds(), Kinds{Kind::kNameAdd});
  auto entries = rig.host->Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text,
            "\xCD\xE5 \xEC\xEE\xE6\xE5\xF2 \xE1\xFB\xF2\xFC \xE8\xF1\xEF\xEE\xEB\xFC\xE7\xEE\xE2"
            "\xE0\xED\xEE \xE8\xEC\xFF - " +
                kIvan + ". " + kMessage + "PC7" + kNotSent);
  EXPECT_EQ(entries[0].image, LogEntry::kFailure);
  EXPECT_EQ(entries[0].time, FakeJobSystem::kNow);
}

TEST_F(SendWorker, RepetitionsAreNumberedAndStartAnIntervalApart) {
  rig.policy->Set({true, 0});
  Run("PC7", 0, 1);
  EXPECT_TRUE(rig.messenger->Calls().empty());
  EXPECT_TRUE(rig.host->Entries().empty());

  // Deliveries of 0.3 s, 2 s apart: a pause after each, the last one included.
  const uint32_t t0 = rig.system->ticks;
  DeliveriesTake(300);
  Run("PC7", 3, 2);
  EXPECT_EQ(rig.host->Texts(), (std::vector<std::string>{kMessage + "PC7" + kSent + " 1",
                                                         kMessage + "PC7" + kSent + " 2",
                                                         kMessage + "PC7" + kSent + " 3"}));
  EXPECT_EQ(rig.host->Entries().at(2).image, LogEntry::kSuccess);
  EXPECT_EQ(startedAt, (std::vector<uint32_t>{t0, t0 + 2000, t0 + 4000}));
  EXPECT_EQ(rig.system->ticks, t0 + 6000);

  // A delivery longer than the interval is followed at once.
  startedAt.clear();
  DeliveriesTake(1500);
  Run("PC7", 2, 1);
  EXPECT_EQ(startedAt.at(1) - startedAt.at(0), 1500u);
}

TEST_F(SendWorker, ARefusedDeliveryEndsTheRepetitionsWithoutANumber) {
  rig.messenger->answer = [](const ScriptedMessenger::Call& c) {
    return c.kind == Kind::kSend && c.serial == 2 ? 53u : 0u;  // the second delivery
  };
  Run("PC7", 5, 0);
  EXPECT_EQ(CallKinds(), (Kinds{Kind::kNameAdd, Kind::kSend, Kind::kSend, Kind::kNameDel}));
  EXPECT_EQ(rig.host->Texts(), (std::vector<std::string>{kMessage + "PC7" + kSent + " 1",
                                                         kMessage + "PC7" + kNotSent}));
  EXPECT_EQ(rig.host->Entries().at(1).image, LogEntry::kFailure);

  // An empty recipient is passed on as the empty name: two blanks in a row in its entry.
  // One of more than 128 characters does not fit and goes as the empty name too.
  rig = JobRig{};
  rig.messenger->answer = [](const ScriptedMessenger::Call&) { return 2273u; };
  rig.policy->Set({false, 0});
  const std::string tooLong(129, 'b');
  Run("", 1, 0);
  Run(tooLong, 1, 0);
  Run(std::string(128, 'a'), 1, 0);
  auto sends = rig.messenger->Sends();
  EXPECT_EQ(sends.at(0).name, u"");
  EXPECT_EQ(sends.at(1).name, u"");
  EXPECT_EQ(sends.at(2).name, std::u16string(128, u'a'));
  EXPECT_EQ(rig.host->Texts().at(0), "C\xEE\xEE\xE1\xF9\xE5\xED\xE8\xE5  \xED\xE5" + kSent);
  EXPECT_EQ(rig.host->Texts().at(1), kMessage + tooLong + kNotSent);
}

TEST_F(SendWorker, TheTransportGetsTheTextInUtf16WithLength2LPlus1) {
  const std::string message = "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xB8 1";  // Привет CR LF ё 1
  Run("PC7", 1, 0, message);
  Run("PC7", 1, 0, "");
  auto sends = rig.messenger->Sends();
  EXPECT_EQ(sends.at(0).byteLength, 2 * message.size() + 1);
  std::vector<uint8_t> expected;
  for (char16_t c : u"Привет\r\nё 1") {  // the text and its zero character
    expected.push_back(static_cast<uint8_t>(c & 0xFF));
    expected.push_back(static_cast<uint8_t>(c >> 8));
  }
  EXPECT_EQ(sends.at(0).bytes, expected);
  EXPECT_EQ(sends.at(1).byteLength, 1u);
  EXPECT_EQ(sends.at(1).bytes, (std::vector<uint8_t>{0, 0}));
}

TEST_F(SendWorker, AClosingProgramEndsTheRepetitionsAndThePauseButTheNameStillGoes) {
  rig.host->onHandOver = [&](const LogEntry&) { rig.host->closed = true; };
  const uint32_t t0 = rig.system->ticks;
  Run("PC7", 5, 100);
  EXPECT_EQ(CallKinds(), (Kinds{Kind::kNameAdd, Kind::kSend, Kind::kNameDel}));
  EXPECT_EQ(rig.system->ticks, t0);
}
