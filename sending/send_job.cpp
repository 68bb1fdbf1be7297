// The send job's dispatcher: the recipient field split into names, one worker per name,
// at most MaxThreads alive, the ended ones reaped by polling, the flag lowered at the end.
#include "sending/send_job.h"

#include <algorithm>

#include "base/string_table.h"
#include "base/worker_guard.h"
#include "sending/send_worker.h"

namespace korvel {

namespace {
// Polling periods: while waiting for a free worker place, and for the job's end.
constexpr uint32_t kPlacePoll = 5;
constexpr uint32_t kEndPoll = 100;

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

void SendJob::HandOver(const LogEntry& entry) {
  std::lock_guard<std::mutex> lock(logLock);
  host->HandOver(entry);
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

void TMenageThread::StartWorkers() {
  const std::vector<std::string> names = SplitRecipients(order_.recipients);
  // A MaxThreads of 0 or less would leave no place at all.
  const size_t most = static_cast<size_t>(std::max(job_->maxThreads, 1));
  live_.reserve(std::min(most, names.size()));
  for (const std::string& name : names) {
    if (job_->host->Closed()) return;
    auto worker = std::make_shared<TSendThread>(job_, order_.sender, name, order_.message,
                                                order_.count, order_.interval);
    std::unique_ptr<JobThread> thread = job_->system->StartThread([worker] { worker->Execute(); });
    if (!thread) return;
    live_.push_back(std::move(thread));
    while (live_.size() >= most) {
      job_->system->Sleep(kPlacePoll);
      Reap();
    }
  }
}

void TMenageThread::Reap() {
  std::erase_if(live_, [](const std::unique_ptr<JobThread>& t) { return !t->StillActive(); });
}

}  // namespace korvel
