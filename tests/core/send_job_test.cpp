// The send job's dispatcher on real threads: the splitting rule, the limit of live
// workers and its bound, the order with one place, the flag and the lock living as long
// as the job, and a system that refuses threads.
#include "sending/send_job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/core/send_fakes.h"

using namespace korvel;
using namespace korvel::test;
using namespace std::chrono_literals;

namespace {

using Names = std::vector<std::string>;

// Waits (really) until `done`, at most a few seconds.
bool WaitFor(const std::function<bool()>& done) {
  for (auto end = std::chrono::steady_clock::now() + 10s; !done();) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

class SendDispatcher : public ::testing::Test {
 protected:
  SendDispatcher() { rig.policy->Set({true, 0}); }
  // Starts a job and waits for its end.
  void RunJob(const std::string& recipients, int maxThreads) {
    ASSERT_TRUE(StartSendJob(rig.Job(maxThreads), {"me", recipients, "hi", 1, 0}));
    ASSERT_TRUE(WaitFor([&] { return rig.host->Ended() == 1; }));
  }
  // Whom the transport was asked to deliver to, in order or sorted.
  Names SentTo(bool sorted = false) {
    Names names;
    for (auto& c : rig.messenger->Sends())
      names.push_back(std::string(c.name.begin(), c.name.end()));
    if (sorted) std::sort(names.begin(), names.end());
    return names;
  }
  // Deliveries wait at `gate` until the test opens it.
  void HoldDeliveries(Gate& gate) {
    rig.messenger->answer = [&gate](const ScriptedMessenger::Call& c) {
      if (c.kind == ScriptedMessenger::kSend) gate.Wait();
      return 0u;
    };
  }
  JobRig rig;
};

}  // namespace

TEST(RecipientSplitting, CommasBlanksQuotesAndEmptyNames) {
  struct Case {
    const char* text;
    Names names;
  };
  const Case cases[] = {
      {"PC1, PC2", {"PC1", "PC2"}},
      {"PC1 PC2", {"PC1", "PC2"}},
      {" \t\r\nPC1\t,\nPC2  ", {"PC1", "PC2"}},
      {"PC1,,PC2", {"PC1", "", "PC2"}},
      {"PC1,", {"PC1", ""}},
      {"PC1, ", {"PC1"}},
      {",", {"", ""}},
      {"", {}},
      {"   ", {}},
      {"\"Vasya Pupkin\", PC2", {"Vasya Pupkin", "PC2"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"\",PC2", {"", "PC2"}},
      {"\"a b\"c", {"a b", "c"}},
      {"\"unclosed, name", {"unclosed, name"}},
      {"\xCF\xCA-1, \xC8\xE2\xE0\xED*", {"\xCF\xCA-1", "\xC8\xE2\xE0\xED*"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitRecipients(c.text), c.names) << c.text;
  // The text ends at a zero character.
  EXPECT_EQ(SplitRecipients(std::string("A\0B", 3)), Names{"A"});
}

TEST_F(SendDispatcher, LiveWorkersNeverExceedMaxThreadsAndOnePlaceKeepsTheOrder) {
  rig.messenger->answer = [](const ScriptedMessenger::Call&) {
    std::this_thread::sleep_for(2ms);
    return 0u;
  };
  RunJob("L K J I H G F E D C B A", 3);
  EXPECT_LE(rig.system->MostLive(), 3);
  EXPECT_GE(rig.system->MostLive(), 2);
  EXPECT_EQ(SentTo(true), (Names{"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L"}));
  EXPECT_FALSE(rig.host->Overlapped());
  EXPECT_EQ(rig.host->Entries().size(), 12u);

  // One place (also what 0 or less means): strictly one after the other, in field order.
  for (int maxThreads : {1, 0, -5}) {
    SCOPED_TRACE(maxThreads);
    rig.system = std::make_shared<FakeJobSystem>();
    rig.messenger = std::make_shared<ScriptedMessenger>();
    rig.host = std::make_shared<RecordingHost>();
    RunJob("E D C B A", maxThreads);
    EXPECT_EQ(SentTo(), (Names{"E", "D", "C", "B", "A"}));
    EXPECT_EQ(rig.system->MostLive(), 1);
  }
}

TEST_F(SendDispatcher, TheFlagAndTheLockLiveExactlyAsLongAsTheJob) {
  Gate gate;
  HoldDeliveries(gate);
  std::atomic<bool> flagUpInEveryHandOver{true};
  rig.host->onHandOver = [&](const LogEntry&) {
    if (*rig.flag != 1) flagUpInEveryHandOver = false;
  };
  // When the job reports its end, every worker has ended, its last pause included.
  std::atomic<int> liveAtEnd{-1};
  std::atomic<uint32_t> ticksAtEnd{0};
  rig.host->onEnded = [&] {
    liveAtEnd = rig.system->Live();
    ticksAtEnd = rig.system->ticks.load();
  };
  std::weak_ptr<SendJob> watch;
  {
    auto job = rig.Job(2);
    watch = job;
    const uint32_t t0 = rig.system->ticks;
    ASSERT_TRUE(StartSendJob(job, {"me", "A B C", "hi", 1, 1}));
    // Raised on the starting thread, before the dispatcher ran at all.
    EXPECT_EQ(*rig.flag, 1);
    EXPECT_FALSE(StartSendJob(rig.Job(), {"me", "D", "hi", 1, 0}));
    gate.Open();
    ASSERT_TRUE(WaitFor([&] { return rig.host->Ended() == 1; }));
    EXPECT_GE(ticksAtEnd - t0, 1000u);
  }
  EXPECT_EQ(*rig.flag, 0);
  EXPECT_TRUE(flagUpInEveryHandOver);
  EXPECT_EQ(liveAtEnd, 0);
  EXPECT_EQ(SentTo(true), (Names{"A", "B", "C"}));
  // The job, and the lock inside it, go once its last thread has let go of it.
  EXPECT_TRUE(WaitFor([&] { return watch.expired(); }));
  EXPECT_EQ(rig.messenger.use_count(), 1);

  // No names at all: no worker, and the flag still comes down.
  rig.host = std::make_shared<RecordingHost>();
  RunJob("  \t ", 50);
  EXPECT_EQ(rig.system->Started(), 2);  // two places: the first thread free takes "C"
  EXPECT_EQ(*rig.flag, 0);
}

TEST_F(SendDispatcher, ARefusedThreadWaitsForALiveWorkerAndNoNameIsDroppedUnsaid) {
  // A system with room for two threads: the others start as places come free.
  rig.messenger->answer = [](const ScriptedMessenger::Call&) {
    std::this_thread::sleep_for(2ms);
    return 0u;
  };
  rig.system->roomFor = 2;
  RunJob("A B C D E F", 50);
  EXPECT_EQ(SentTo(true), (Names{"A", "B", "C", "D", "E", "F"}));
  EXPECT_LE(rig.system->MostLive(), 2);
  for (const LogEntry& e : rig.host->Entries()) EXPECT_EQ(e.image, LogEntry::kSuccess);

  // A system that gives no more threads after the second: the two take every name.
  rig = JobRig();
  rig.policy->Set({true, 0});
  Gate gate;
  HoldDeliveries(gate);
  rig.system->threadsAllowed = 2;
  ASSERT_TRUE(StartSendJob(rig.Job(), {"me", "A B C D", "hi", 1, 0}));
  ASSERT_TRUE(WaitFor([&] { return rig.messenger->Busy() == 2; }));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(*rig.flag, 1);
  gate.Open();
  ASSERT_TRUE(WaitFor([&] { return rig.host->Ended() == 1; }));
  EXPECT_EQ(SentTo(true), (Names{"A", "B", "C", "D"}));
  EXPECT_EQ(rig.system->Started(), 2);

  // A system that refuses the first thread it is asked for: asked again, it gives one.
  rig = JobRig();
  rig.policy->Set({true, 0});
  rig.system->refuseFirst = 1;
  RunJob("A B", 50);
  EXPECT_EQ(SentTo(true), (Names{"A", "B"}));
  EXPECT_EQ(rig.host->Entries().size(), 2u);

  // A system that gives no thread at all: the job says for each name that it was not
  // sent, in field order, and ends.
  rig = JobRig();
  rig.policy->Set({true, 0});
  rig.system->threadsAllowed = 0;
  RunJob("A B", 50);
  EXPECT_EQ(*rig.flag, 0);
  EXPECT_TRUE(SentTo().empty());
  const std::vector<LogEntry> entries = rig.host->Entries();
  ASSERT_EQ(entries.size(), 2u);
  const SendTexts t = SendTexts::FromStringTable();
  EXPECT_EQ(entries[0].text, t.message + "A" + t.notSent);
  EXPECT_EQ(entries[1].text, t.message + "B" + t.notSent);
  EXPECT_EQ(entries[1].image, LogEntry::kFailure);
  EXPECT_NE(entries[1].code, 0u);
}

TEST_F(SendDispatcher, AHugeMaxThreadsStillKeepsAtMostTheBoundAlive) {
  Gate gate;
  HoldDeliveries(gate);
  std::string names;
  for (int i = 0; i < 250; ++i) names += "N" + std::to_string(i) + " ";
  ASSERT_TRUE(StartSendJob(rig.Job(100000), {"me", names, "hi", 1, 0}));
  ASSERT_TRUE(WaitFor([&] { return rig.messenger->Busy() == int{kMostLiveWorkers}; }));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(rig.system->Started(), int{kMostLiveWorkers});
  gate.Open();
  ASSERT_TRUE(WaitFor([&] { return rig.host->Ended() == 1; }));
  EXPECT_EQ(rig.messenger->Sends().size(), 250u);
  EXPECT_EQ(rig.system->MostLive(), int{kMostLiveWorkers});
}

// A host that takes a batch at a time, slowly: lines that come meanwhile wait and go in
// the next batch, each worker's lines in their order, and all of them before the end.
TEST_F(SendDispatcher, LinesThatComeDuringAHandOverGoInTheNextBatchInOrder) {
  struct BatchHost : RecordingHost {
    bool HandOverBatch(const std::vector<LogEntry>& entries) noexcept override {
      std::this_thread::sleep_for(5ms);
      ++batches;
      for (const LogEntry& e : entries) HandOver(e);
      return true;
    }
    std::atomic<int> batches{0};
  };
  auto host = std::make_shared<BatchHost>();
  rig.host = host;
  ASSERT_TRUE(StartSendJob(rig.Job(8), {"me", "A B C D E F G H", "hi", 3, 0}));
  ASSERT_TRUE(WaitFor([&] { return host->Ended() == 1; }));
  const std::vector<std::string> texts = host->Texts();
  ASSERT_EQ(texts.size(), 24u);
  EXPECT_LT(host->batches, 24);
  EXPECT_FALSE(host->Overlapped());
  const SendTexts t = SendTexts::FromStringTable();
  for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H"}) {
    std::vector<std::string> mine;
    for (const std::string& text : texts)
      if (text.rfind(t.message + name + t.sent, 0) == 0) mine.push_back(text);
    const std::string line = t.message + name + t.sent;
    EXPECT_EQ(mine, (std::vector<std::string>{line + " 1", line + " 2", line + " 3"})) << name;
  }
}
