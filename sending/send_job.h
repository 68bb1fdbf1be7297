// A send job: one press of a send command. The dispatcher `TMenageThread` splits the
// recipients and runs one worker `TSendThread` per name, never more than `MaxThreads`
// at once; every attempt is handed over, in batches, to the log on the UI thread.
//
// Everything a job's threads use belongs to the job (`SendJob`, shared by its threads),
// so the job may outlive the window that started it: closing the program neither waits
// for it nor pulls anything from under it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sending/messenger.h"

namespace korvel {

// Local date and time of a log entry.
struct LogTime {
  uint16_t year = 0, month = 0, day = 0;
  uint16_t hour = 0, minute = 0, second = 0;
  bool operator==(const LogTime&) const = default;
};

// What a worker hands over after each attempt.
struct LogEntry {
  enum Mark : int { kFailure = 0, kSuccess = 1 };
  std::string text;  // Windows-1251
  LogTime time;      // when the attempt's result was known
  int image = kFailure;
  NetStatus code = kNerrSuccess;  // why a failure failed; 0 for a success
};

// The log texts from the string table, read on the UI thread when the job is made.
struct SendTexts {
  std::string message;        // "Cообщение " (a Latin C)
  std::string sent;           // " отправлено"
  std::string notSent;        // " не отправлено"
  std::string cannotUseName;  // "Не может быть использовано имя - "
  static SendTexts FromStringTable();
};

// How the sender name reaches the transport (settings PatchInstalled and WhatSend).
struct SenderPolicy {
  bool patchInstalled = true;
  uint8_t whatSend = 1;
};

// The policy as the options dialog leaves it: set on the UI thread, read by workers.
class SenderPolicySource {
 public:
  void Set(SenderPolicy policy) noexcept;
  SenderPolicy Get() const noexcept;

 private:
  std::atomic<uint16_t> packed_{0x101};
};

// One thread of a job, as its dispatcher sees it.
class JobThread {
 public:
  virtual ~JobThread() = default;  // only once the thread has ended
  // Whether the thread still runs (its exit code is STILL_ACTIVE).
  virtual bool StillActive() const = 0;
};

// The system services a job uses, so that tests can drive time.
class JobSystem {
 public:
  virtual ~JobSystem() = default;
  // Milliseconds from a fixed point, wrapping at 2^32 (the tick counter).
  virtual uint32_t Ticks() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  virtual LogTime Now() = 0;
  // Starts `body` on a thread of its own; nullptr when the system refuses one.
  virtual std::unique_ptr<JobThread> StartThread(std::function<void()> body) = 0;
  // The same for a thread nobody waits for; false when refused.
  virtual bool StartDetached(std::function<void()> body) = 0;
};

// The program around a job.
class JobHost {
 public:
  virtual ~JobHost() = default;
  // Runs the log insertion of `entry` on the UI thread and returns when it has run;
  // false when it did not run. Never throws.
  virtual bool HandOver(const LogEntry& entry) noexcept = 0;
  // The same for entries in their order; a host that can insert them in one go says so
  // here, since each trip to the UI thread costs more than the insertion itself.
  virtual bool HandOverBatch(const std::vector<LogEntry>& entries) noexcept {
    bool all = true;
    for (const LogEntry& e : entries) all = HandOver(e) && all;
    return all;
  }
  // The program is closing: there is no one left to tell, so the job winds down.
  virtual bool Closed() const noexcept = 0;
  // The job has ended and the send-in-progress flag is down.
  virtual void JobEnded() noexcept = 0;
};

// What all threads of one job share; the last of them to let go frees it.
struct SendJob {
  std::shared_ptr<Messenger> messenger;
  std::shared_ptr<JobSystem> system;
  std::shared_ptr<JobHost> host;
  std::shared_ptr<const SenderPolicySource> policy;
  // The send-in-progress flag, also read by the window's commands.
  std::shared_ptr<std::atomic<uint8_t>> sendInProgress;
  SendTexts texts;
  int maxThreads = 50;  // 0 or less acts as 1; more than kMostLiveWorkers acts as that
  // The log hand-over lock: one hand-over of this job at a time. It is the job's own,
  // so it exists before the first worker and goes only after the last one.
  std::mutex logLock;

  // Hands `entry` over, one hand-over of the job at a time and in the order they come.
  // A worker that comes while another hands over leaves its entry to that one and goes
  // on; the one handing over takes along everything that came meanwhile, so the UI thread
  // is asked once per batch rather than once per line. Every entry has been handed over
  // before the last worker's last hand-over returns.
  void HandOver(LogEntry entry);

 private:
  std::vector<LogEntry> waiting_;  // under logLock
  bool handingOver_ = false;       // under logLock
};

// The most workers one job keeps alive at once, whatever MaxThreads says: each holds a
// thread (its stack reserved) and a socket, and 200 of them already keep the receivers
// of a LAN busy; ten thousand would exhaust a 2-core machine's handles before the network.
constexpr size_t kMostLiveWorkers = 200;

// What a send command asks for.
struct JobOrder {
  std::string sender;
  std::string recipients;
  std::string message;
  int32_t count = 1;
  int32_t interval = 0;
};

// The recipient field split into names: at commas and at characters of code 1 to 32,
// a double-quoted name kept whole ("" inside it stands for one quote); empty names
// between two commas and after a final comma are kept.
std::vector<std::string> SplitRecipients(std::string_view text);

// Starts `job` for `order` on the UI thread: raises the send-in-progress flag, then
// starts the dispatcher. False (and the flag left as it was) when a job already runs
// or the system refuses the thread.
bool StartSendJob(const std::shared_ptr<SendJob>& job, JobOrder order);

// The dispatcher of one job.
class TMenageThread {
 public:
  TMenageThread(std::shared_ptr<SendJob> job, JobOrder order);
  void Execute() noexcept;

 private:
  void StartWorkers();
  void Reap();

  std::shared_ptr<SendJob> job_;
  JobOrder order_;
  std::vector<std::unique_ptr<JobThread>> live_;
};

}  // namespace korvel
