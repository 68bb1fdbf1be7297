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
const std::string kCannotUseName =
    "\xCD\xE5 \xEC\xEE\xE6\xE5\xF2 \xE1\xFB\xF2\xFC "
    "\xE8\xF1\xEF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xED\xEE \xE8\xEC\xFF - ";
const std::string kIvan = "\xC8\xE2\xE0\xED";  // Иван

using Kind = ScriptedMessenger::Kind;

class SendWorker : public ::testing::Test {
 protected:
  void Run(const std::string& recipient, int32_t count, int32_t interval,
           const std::string& message = "hi", const std::string& sender = kIvan) {
    TSendThread(rig.Job(), sender, recipient, message, count, interval).Execute();
  }
  void Policy(bool patchInstalled, uint8_t whatSend) {
    rig.policy->Set({patchInstalled, whatSend});
  }
  std::vector<Kind> Kinds() {
    std::vector<Kind> kinds;
    for (auto& c : rig.messenger->Calls()) kinds.push_back(c.kind);
    return kinds;
  }
  JobRig rig;
};

std::u16string U(const std::string& cp1251) { return Utf16FromCp1251(cp1251); }

}  // namespace

TEST_F(SendWorker, SenderNamePolicyDecidesTheFromNameAndTheRegistration) {
  struct Row {
    bool patchInstalled;
    uint8_t whatSend;
    bool fromSender;  // else the computer's own name
    bool registers;
  };
  for (Row row :
       {Row{false, 0, true, false}, Row{false, 1, true, false}, Row{false, 7, true, false},
        Row{true, 0, false, false}, Row{true, 1, true, true}, Row{true, 7, true, false}}) {
    SCOPED_TRACE(testing::Message() << row.patchInstalled << "/" << int(row.whatSend));
    rig = JobRig{};
    Policy(row.patchInstalled, row.whatSend);
    Run("PC7", 1, 0);
    auto calls = rig.messenger->Calls();
    auto sends = rig.messenger->Sends();
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].name, u"PC7");
    EXPECT_EQ(sends[0].from,
              row.fromSender ? std::optional<std::u16string>(U(kIvan)) : std::nullopt);
    if (row.registers) {
      EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::kNameAdd, Kind::kSend, Kind::kNameDel}));
      EXPECT_EQ(calls.front().name, U(kIvan));
      EXPECT_EQ(calls.back().name, U(kIvan));
    } else {
      EXPECT_EQ(Kinds(), std::vector<Kind>{Kind::kSend});
    }
    EXPECT_EQ(rig.host->Texts(), std::vector<std::string>{kMessage + "PC7" + kSent});
  }
}

TEST_F(SendWorker, ARefusedNameSendsNothingAndSaysSoOnce) {
  rig.messenger->answer = [](const ScriptedMessenger::Call& c) {
    return c.kind == Kind::kNameAdd ? 2273u : 0u;
  };
  Run("PC7", 3, 1);
  EXPECT_EQ(Kinds(), std::vector<Kind>{Kind::kNameAdd});
  auto entries = rig.host->Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text, kCannotUseName + kIvan + ". " + kMessage + "PC7" + kNotSent);
  EXPECT_EQ(entries[0].image, LogEntry::kFailure);
  EXPECT_EQ(entries[0].time, FakeJobSystem::kNow);
  EXPECT_TRUE(rig.system->Sleeps().empty());
}

TEST_F(SendWorker, RepetitionsAreNumberedAndStartAnIntervalApart) {
  // Count 0: nothing is sent and nothing logged.
  Policy(true, 0);
  Run("PC7", 0, 1);
  EXPECT_TRUE(rig.messenger->Calls().empty());
  EXPECT_TRUE(rig.host->Entries().empty());

  // Count 3: three entries numbered from 1, a pause after each, the last one included.
  const uint32_t t0 = rig.system->ticks;
  std::vector<uint32_t> sentAt;
  rig.messenger->answer = [&](const ScriptedMessenger::Call&) {
    sentAt.push_back(rig.system->ticks);
    rig.system->ticks += 300;  // each delivery takes 0.3 s
    return 0u;
  };
  Run("PC7", 3, 2);
  EXPECT_EQ(rig.host->Texts(), (std::vector<std::string>{kMessage + "PC7" + kSent + " 1",
                                                         kMessage + "PC7" + kSent + " 2",
                                                         kMessage + "PC7" + kSent + " 3"}));
  for (const LogEntry& e : rig.host->Entries()) EXPECT_EQ(e.image, LogEntry::kSuccess);
  EXPECT_EQ(sentAt, (std::vector<uint32_t>{t0, t0 + 2000, t0 + 4000}));
  EXPECT_EQ(rig.system->ticks, t0 + 6000);
}

TEST_F(SendWorker, ADeliveryLongerThanTheIntervalIsFollowedAtOnce) {
  Policy(true, 0);
  std::vector<uint32_t> sentAt;
  rig.messenger->answer = [&](const ScriptedMessenger::Call&) {
    sentAt.push_back(rig.system->ticks);
    rig.system->ticks += 1500;
    return 0u;
  };
  const uint32_t t0 = rig.system->ticks;
  Run("PC7", 3, 1);
  EXPECT_EQ(sentAt, (std::vector<uint32_t>{t0, t0 + 1500, t0 + 3000}));
  EXPECT_TRUE(rig.system->Sleeps().empty());

  // The tick counter wrapping around in between changes nothing.
  rig = JobRig{};
  Policy(true, 0);
  rig.system->ticks = 0xFFFFFF00u;
  Run("PC7", 2, 1);
  EXPECT_EQ(rig.system->ticks, 0xFFFFFF00u + 2000);
}

TEST_F(SendWorker, ARefusedDeliveryEndsTheRepetitionsWithoutANumber) {
  rig.messenger->answer = [](const ScriptedMessenger::Call& c) {
    return c.kind == Kind::kSend && c.serial == 2 ? 53u : 0u;  // the second delivery
  };
  Run("PC7", 5, 0);
  EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::kNameAdd, Kind::kSend, Kind::kSend, Kind::kNameDel}));
  auto entries = rig.host->Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].text, kMessage + "PC7" + kSent + " 1");
  EXPECT_EQ(entries[1].text, kMessage + "PC7" + kNotSent);
  EXPECT_EQ(entries[1].image, LogEntry::kFailure);

  // An empty recipient is passed on as the empty name; its entry has two blanks in a row.
  rig = JobRig{};
  rig.messenger->answer = [](const ScriptedMessenger::Call& c) {
    return c.kind == Kind::kSend ? 2273u : 0u;
  };
  Run("", 1, 0);
  EXPECT_EQ(rig.messenger->Sends().at(0).name, u"");
  EXPECT_EQ(rig.host->Texts(), std::vector<std::string>{kMessage + kNotSent});
  EXPECT_NE(rig.host->Texts().at(0).find("\xE5  \xED"), std::string::npos);
}

TEST_F(SendWorker, TheTransportGetsTheTextInUtf16WithLength2LPlus1) {
  Policy(false, 0);
  const std::string message = "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xB8 1";  // Привет CR LF ё 1
  Run("PC7", 1, 0, message);
  auto send = rig.messenger->Sends().at(0);
  EXPECT_EQ(send.byteLength, 2 * message.size() + 1);
  std::vector<uint8_t> expected;
  for (char16_t c : u"Привет\r\nё 1") {
    expected.push_back(static_cast<uint8_t>(c & 0xFF));
    expected.push_back(static_cast<uint8_t>(c >> 8));
  }
  EXPECT_EQ(send.bytes, expected);  // the text and its zero character

  rig = JobRig{};
  Run("PC7", 1, 0, "");
  send = rig.messenger->Sends().at(0);
  EXPECT_EQ(send.byteLength, 1u);
  EXPECT_EQ(send.bytes, (std::vector<uint8_t>{0, 0}));
}

TEST_F(SendWorker, NamesOfMoreThan128CharactersArePassedAsTheEmptyName) {
  const std::string fits(128, 'a'), tooLong(129, 'b');
  Policy(false, 0);
  Run(fits, 1, 0, "x", tooLong);
  auto send = rig.messenger->Sends().at(0);
  EXPECT_EQ(send.name, std::u16string(128, u'a'));
  EXPECT_EQ(send.from, u"");

  rig = JobRig{};
  rig.messenger->answer = [](const ScriptedMessenger::Call& c) {
    return c.kind == Kind::kSend ? 2273u : 0u;
  };
  Run(tooLong, 1, 0, "x", fits);
  EXPECT_EQ(rig.messenger->Sends().at(0).name, u"");
  // The log names the recipient as it was given.
  EXPECT_EQ(rig.host->Texts(), std::vector<std::string>{kMessage + tooLong + kNotSent});

  // A refused sender name is reported as the buffer held it: empty.
  rig = JobRig{};
  rig.messenger->answer = [](const ScriptedMessenger::Call&) { return 2273u; };
  Run("PC7", 1, 0, "x", tooLong);
  EXPECT_EQ(rig.messenger->Calls().at(0).name, u"");
  EXPECT_EQ(rig.host->Texts(),
            std::vector<std::string>{kCannotUseName + ". " + kMessage + "PC7" + kNotSent});
}

TEST_F(SendWorker, AClosingProgramEndsTheRepetitionsAndThePause) {
  Policy(true, 1);
  rig.host->onHandOver = [&](const LogEntry&) { rig.host->closed = true; };
  const uint32_t t0 = rig.system->ticks;
  Run("PC7", 5, 100);
  EXPECT_EQ(rig.messenger->Sends().size(), 1u);
  EXPECT_EQ(rig.system->ticks, t0);
  // The name is removed all the same.
  EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::kNameAdd, Kind::kSend, Kind::kNameDel}));

  // Closed during the attempt: its hand-over is refused and nothing follows.
  rig = JobRig{};
  Policy(true, 0);
  rig.system->ticks = t0;
  rig.messenger->answer = [&](const ScriptedMessenger::Call&) {
    rig.host->closed = true;
    return 0u;
  };
  Run("PC7", 2, 100);
  EXPECT_EQ(rig.messenger->Sends().size(), 1u);
  EXPECT_TRUE(rig.host->Entries().empty());
  EXPECT_EQ(rig.system->ticks, t0);
}
