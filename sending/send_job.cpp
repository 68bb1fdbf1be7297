// The send job's dispatcher: the recipient field split into names, one worker per name on
// at most MaxThreads (and never more than kMostLiveWorkers) threads, the ended ones reaped
// by polling, the flag lowered at the end.
#include "sending/send_job.h"

#include <algorithm>
#include <optional>

#include "base/string_table.h"
#include "base/worker_guard.h"
#include "sending/send_worker.h"

namespace korvel {

namespace {
// Polling periods: while waiting for a free worker place, and for the job's end.
constexpr uint32_t kPlacePoll = 5;
constexpr uint32_t kEndPoll = 100;
// What the system gives when it refuses a thread (ERROR_NOT_ENOUGH_MEMORY).
constexpr NetStatus kNoThread = 8;

bool IsBlank(char c) {
  auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

// An unquoted name runs up to a comma or a character of code 32 or less.
bool EndsName(char c) { return c == ',' || static_cast<unsigned char>(c) <= 32; }
}  // namespace

SendTexts SendTexts::FromStringTable() {
  return {LoadStr(IDS_LOG_MESSAGE), LoadStr(IDS_LOG_SENT), LoadStr(IDS_LOG_NOT_SENT),
          LoadStr(IDS_CANNOT_USE_NAME)};
}

void SenderPolicySource::Set(SenderPolicy policy) noexcept {
  packed_ = static_cast<uint16_t>((policy.patchInstalled ? 0x100 : 0) | policy.whatSend);
}

SenderPolicy SenderPolicySource::Get() const noexcept {
  uint16_t v = packed_;
  return {(v & 0x100) != 0, static_cast<uint8_t>(v & 0xFF)};
}

void SendJob::HandOver(LogEntry entry) {
  std::unique_lock<std::mutex> lock(logLock);
  waiting_.push_back(std::move(entry));
  if (handingOver_) return;
  handingOver_ = true;
  while (!waiting_.empty()) {
    std::vector<LogEntry> batch;
    batch.swap(waiting_);
    lock.unlock();
    host->HandOverBatch(batch);
    lock.lock();
  }
  handingOver_ = false;
}

std::vector<std::string> SplitRecipients(std::string_view text) {
  // The text ends at a zero character, as the field's text does.
  text = text.substr(0, text.find('\0'));
  const size_t end = text.size();
  std::vector<std::string> names;
  size_t i = 0;
  while (i < end && IsBlank(text[i])) ++i;
  while (i < end) {
    std::string name;
    if (text[i] == '"') {
      // Up to the closing quote, two quotes standing for one; an unclosed quote runs to
      // the end of the text.
      for (++i; i < end; ++i) {
        if (text[i] != '"') {
          name += text[i];
        } else if (i + 1 < end && text[i + 1] == '"') {
          name += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    } else {
      size_t start = i;
      while (i < end && !EndsName(text[i])) ++i;
      name.assign(text.substr(start, i - start));
    }
    names.push_back(std::move(name));
    while (i < end && IsBlank(text[i])) ++i;
    if (i < end && text[i] == ',') {
      if (i + 1 == end) names.emplace_back();
      for (++i; i < end && IsBlank(text[i]);) ++i;
    }
  }
  return names;
}

bool StartSendJob(const std::shared_ptr<SendJob>& job, JobOrder order) {
  auto dispatcher = std::make_shared<TMenageThread>(job, std::move(order));
  uint8_t idle = 0;
  if (!job->sendInProgress->compare_exchange_strong(idle, 1)) return false;
  bool started = false;
  try {
    started = job->system->StartDetached([dispatcher] { dispatcher->Execute(); });
  } catch (...) {
  }
  if (!started) *job->sendInProgress = 0;
  return started;
}

TMenageThread::TMenageThread(std::shared_ptr<SendJob> job, JobOrder order)
    : job_(std::move(job)), order_(std::move(order)) {}

void TMenageThread::Execute() noexcept {
  // A failure part-way only stops the starting: the workers already running still hand
  // over, so the job waits for them before it lets go of its lock.
  WorkerGuarded([&] { StartWorkers(); }, "starting a send job's workers");
  while (!live_.empty()) {
    job_->system->Sleep(kEndPoll);
    Reap();
  }
  *job_->sendInProgress = 0;
  job_->host->JobEnded();
}

namespace {
// The names no thread has taken yet, shared by the dispatcher and the job's threads.
class PendingNames {
 public:
  explicit PendingNames(std::vector<std::string> names) : names_(std::move(names)) {}
  std::optional<std::string> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (next_ == names_.size()) return std::nullopt;
    return std::move(names_[next_++]);
  }
  size_t Left() {
    std::lock_guard<std::mutex> lock(mutex_);
    return names_.size() - next_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> names_;
  size_t next_ = 0;
};
}  // namespace

void TMenageThread::StartWorkers() {
  auto pending = std::make_shared<PendingNames>(SplitRecipients(order_.recipients));
  // A MaxThreads of 0 or less would leave no place at all; one of 100000 must not ask
  // for as many threads and sockets as there are names.
  const size_t most =
      std::clamp<size_t>(static_cast<size_t>(std::max(job_->maxThreads, 1)), 1, kMostLiveWorkers);
  // One worker per name, each run whole on one thread; a thread whose worker has ended
  // runs the next name's worker instead of ending, because a new thread costs some 4 ms
  // under Wine, more than a whole delivery to a nearby receiver. So the places are threads.
  auto body = [job = job_, order = order_, pending] {
    while (!job->host->Closed()) {
      std::optional<std::string> name = pending->Take();
      if (!name) return;
      TSendThread(job, order.sender, std::move(*name), order.message, order.count, order.interval)
          .Execute();
    }
  };
  const size_t wanted = std::min(most, pending->Left());
  live_.reserve(wanted);
  while (live_.size() < wanted && !job_->host->Closed()) {
    std::unique_ptr<JobThread> thread = job_->system->StartThread(body);
    if (!thread) break;  // the threads that run take the names this one would have
    live_.push_back(std::move(thread));
  }
  // A refused thread is asked for again once the live ones have ended with names left,
  // since their end gives back what the refusal lacked.
  for (;;) {
    while (!live_.empty()) {
      job_->system->Sleep(kPlacePoll);
      Reap();
    }
    if (job_->host->Closed() || pending->Left() == 0) return;
    if (std::unique_ptr<JobThread> thread = job_->system->StartThread(body)) {
      live_.push_back(std::move(thread));
      continue;
    }
    // Nothing runs and the system still gives no thread: say so for every name left.
    const SendTexts& t = job_->texts;
    while (std::optional<std::string> name = pending->Take())
      job_->HandOver(LogEntry{t.message + *name + t.notSent, job_->system->Now(),
                              LogEntry::kFailure, kNoThread});
    return;
  }
}

void TMenageThread::Reap() {
  std::erase_if(live_, [](const std::unique_ptr<JobThread>& t) { return !t->StillActive(); });
}

}  // namespace korvel
