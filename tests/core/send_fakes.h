// Doubles for the send job: a transport that follows a script and records every call, a
// clock the test drives (with real threads), and a host that records the hand-overs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sending/job_system.h"
#include "sending/messenger.h"
#include "sending/send_job.h"

namespace korvel::test {

// A gate the transport's calls wait at until the test opens it.
class Gate {
 public:
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    opened_.wait(lock, [&] { return open_; });
  }
  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

class ScriptedMessenger : public Messenger {
 public:
  enum Kind { kSend, kNameAdd, kNameDel };
  struct Call {
    Kind kind = kSend;
    std::u16string name;
    std::optional<std::u16string> from;  // nullopt: the computer's own name
    std::vector<uint8_t> bytes;          // the buffer's first byteLength + 1 bytes
    uint32_t byteLength = 0;
    int serial = 0;  // the call's place among all calls, from 0
  };

  // Decides each call's status (0 when not set); may block or move a clock. Runs outside
  // the messenger's own lock, so calls from several threads overlap as they would.
  std::function<NetStatus(const Call&)> answer;

  NetStatus MessageBufferSend(const char16_t* name, const char16_t* fromName, const uint8_t* buffer,
                              uint32_t byteLength) override {
    Call c = Named(kSend, name);
    c.byteLength = byteLength;
    if (fromName) c.from = fromName;
    // The buffer has room for 2 × L + 2 bytes, one more than the length given.
    c.bytes.assign(buffer, buffer + byteLength + 1);
    return Record(std::move(c));
  }
  NetStatus MessageNameAdd(const char16_t* name) override { return Record(Named(kNameAdd, name)); }
  NetStatus MessageNameDel(const char16_t* name) override { return Record(Named(kNameDel, name)); }

  std::vector<Call> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }
  std::vector<Call> Sends() const {
    std::vector<Call> sends;
    for (Call& c : Calls())
      if (c.kind == kSend) sends.push_back(std::move(c));
    return sends;
  }
  // Calls in progress now.
  int Busy() const { return busy_; }

 private:
  static Call Named(Kind kind, const char16_t* name) {
    Call c;
    c.kind = kind;
    c.name = name;
    return c;
  }
  NetStatus Record(Call c) {
    ++busy_;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      c.serial = static_cast<int>(calls_.size());
      calls_.push_back(c);
    }
    NetStatus status = answer ? answer(c) : kNerrSuccess;
    --busy_;
    return status;
  }

  mutable std::mutex mutex_;
  std::vector<Call> calls_;
  std::atomic<int> busy_{0};
};

// Real threads, a tick counter that only sleeping (or the test) moves, and a fixed local
// time. Each sleep also yields for a moment, so that polling loops do not spin.
class FakeJobSystem : public JobSystem {
 public:
  static constexpr LogTime kNow{2024, 5, 17, 9, 5, 3};

  std::atomic<uint32_t> ticks{1'000'000};
  // Threads the system starts before it refuses (-1: never refuses).
  std::atomic<int> threadsAllowed{-1};
  // Threads the system holds at once before it refuses more (-1: no such limit).
  std::atomic<int> roomFor{-1};
  // Calls the system refuses before it gives threads again.
  std::atomic<int> refuseFirst{0};

  uint32_t Ticks() override { return ticks; }
  void Sleep(uint32_t ms) override {
    ticks += ms;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  LogTime Now() override { return kNow; }
  std::unique_ptr<JobThread> StartThread(std::function<void()> body) override {
    if (threadsAllowed == 0) return nullptr;
    if (refuseFirst > 0) {
      --refuseFirst;
      return nullptr;
    }
    if (roomFor >= 0 && live_ >= roomFor) return nullptr;
    if (threadsAllowed > 0) --threadsAllowed;
    ++started_;
    int now = ++live_;
    for (int most = mostLive_; now > most && !mostLive_.compare_exchange_weak(most, now);) {
    }
    return threads_.StartThread([this, run = std::move(body)]() mutable {
      std::move(run)();
      run = nullptr;
      --live_;
    });
  }
  bool StartDetached(std::function<void()> body) override {
    return threads_.StartDetached(std::move(body));
  }

  int Live() const { return live_; }
  int MostLive() const { return mostLive_; }
  int Started() const { return started_; }

 private:
  StdJobSystem threads_;
  std::atomic<int> live_{0}, mostLive_{0}, started_{0};
};

class RecordingHost : public JobHost {
 public:
  // Runs inside each hand-over, after it is recorded.
  std::function<void(const LogEntry&)> onHandOver;
  // Runs when the job reports its end.
  std::function<void()> onEnded;
  std::atomic<bool> closed{false};

  bool HandOver(const LogEntry& entry) noexcept override {
    if (closed) return false;
    if (++inside_ > 1) overlapped_ = true;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      entries_.push_back(entry);
    }
    if (onHandOver) onHandOver(entry);
    --inside_;
    return true;
  }
  bool Closed() const noexcept override { return closed; }
  void JobEnded() noexcept override {
    if (onEnded) onEnded();
    ++ended_;
  }

  std::vector<LogEntry> Entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const LogEntry& e : Entries()) texts.push_back(e.text);
    return texts;
  }
  int Ended() const { return ended_; }
  bool Overlapped() const { return overlapped_; }

 private:
  mutable std::mutex mutex_;
  std::vector<LogEntry> entries_;
  std::atomic<int> inside_{0}, ended_{0};
  std::atomic<bool> overlapped_{false};
};

// One job's worth of doubles.
struct JobRig {
  std::shared_ptr<ScriptedMessenger> messenger = std::make_shared<ScriptedMessenger>();
  std::shared_ptr<FakeJobSystem> system = std::make_shared<FakeJobSystem>();
  std::shared_ptr<RecordingHost> host = std::make_shared<RecordingHost>();
  std::shared_ptr<SenderPolicySource> policy = std::make_shared<SenderPolicySource>();
  std::shared_ptr<std::atomic<uint8_t>> flag = std::make_shared<std::atomic<uint8_t>>(0);

  std::shared_ptr<SendJob> Job(int maxThreads = 50) {
    auto job = std::make_shared<SendJob>();
    job->messenger = messenger;
    job->system = system;
    job->host = host;
    job->policy = policy;
    job->sendInProgress = flag;
    job->texts = SendTexts::FromStringTable();
    job->maxThreads = maxThreads;
    return job;
  }
};

}  // namespace korvel::test
