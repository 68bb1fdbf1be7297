// The send worker: names and message converted for the transport, the sender-name
// policy, the registration of the sender name, the repetitions paced by the tick
// counter, and one log entry per attempt.
#include "sending/send_worker.h"

#include <algorithm>

#include "base/text.h"
#include "base/worker_guard.h"

namespace korvel {

namespace {
// A pause is slept in slices of this length, so that a closing program is noticed.
constexpr int64_t kPauseSlice = 100;

// Removes a registered sender name however the repetitions end.
class NameRegistration {
 public:
  NameRegistration(Messenger& messenger, const char16_t* name)
      : messenger_(messenger), name_(name) {}
  ~NameRegistration() { messenger_.MessageNameDel(name_); }
  NameRegistration(const NameRegistration&) = delete;
  NameRegistration& operator=(const NameRegistration&) = delete;

 private:
  Messenger& messenger_;
  const char16_t* name_;
};
}  // namespace

NameBuffer ToNameBuffer(const std::string& text) {
  NameBuffer buffer{};
  std::u16string wide = Utf16FromCp1251(text);
  if (wide.size() < buffer.size()) std::copy(wide.begin(), wide.end(), buffer.begin());
  return buffer;
}

TSendThread::TSendThread(std::shared_ptr<SendJob> job, std::string sender, std::string recipient,
                         std::string message, int32_t count, int32_t interval)
    : job_(std::move(job)),
      sender_(std::move(sender)),
      recipient_(std::move(recipient)),
      message_(std::move(message)),
      count_(count),
      interval_(interval) {}

// No memory for the message ends the run without an entry, like any other failure.
void TSendThread::Execute() noexcept {
  WorkerGuarded([&] { Run(); }, "sending to one recipient");
}

void TSendThread::Run() {
  recipientBuffer_ = ToNameBuffer(recipient_);
  senderBuffer_ = ToNameBuffer(sender_);

  // L characters and a zero in UTF-16, in room for 2 × L + 2 bytes and never less than 4.
  const uint64_t length = message_.size();
  if (2 * length + 2 > UINT32_MAX) return;
  std::vector<uint8_t> buffer(std::max<size_t>(static_cast<size_t>(2 * length + 2), 4), 0);
  const std::u16string wide = Utf16FromCp1251(message_);
  for (size_t i = 0; i < wide.size(); ++i) {
    buffer[2 * i] = static_cast<uint8_t>(wide[i] & 0xFF);
    buffer[2 * i + 1] = static_cast<uint8_t>(wide[i] >> 8);
  }

  const uint32_t start = job_->system->Ticks();
  const SenderPolicy policy = job_->policy->Get();
  const char16_t* fromName = senderBuffer_.data();
  if (policy.patchInstalled && policy.whatSend == 0) fromName = nullptr;
  if (!policy.patchInstalled || policy.whatSend != 1) {
    Repeat(fromName, buffer, start);
    return;
  }
  Messenger& messenger = *job_->messenger;
  if (const NetStatus status = messenger.MessageNameAdd(senderBuffer_.data());
      status != kNerrSuccess) {
    const SendTexts& t = job_->texts;
    Report(t.cannotUseName + Cp1251FromUtf16(senderBuffer_.data()) + ". " + t.message + recipient_ +
               t.notSent,
           LogEntry::kFailure, status);
    return;
  }
  NameRegistration registered(messenger, senderBuffer_.data());
  Repeat(fromName, buffer, start);
}

// The transport is given 2 × L + 1 bytes: the text and one zero byte.
void TSendThread::Repeat(const char16_t* fromName, const std::vector<uint8_t>& buffer,
                         uint32_t start) {
  const auto byteLength = static_cast<uint32_t>(2 * message_.size() + 1);
  const SendTexts& t = job_->texts;
  for (int32_t n = 1; n <= count_; ++n) {
    if (const NetStatus status = job_->messenger->MessageBufferSend(
            recipientBuffer_.data(), fromName, buffer.data(), byteLength);
        status != kNerrSuccess) {
      Report(t.message + recipient_ + t.notSent, LogEntry::kFailure, status);
      return;
    }
    std::string text = t.message + recipient_ + t.sent;
    if (count_ > 1) text.append(" ").append(IntToStr(n));
    Report(std::move(text), LogEntry::kSuccess);
    if (job_->host->Closed()) return;
    Pause(start);
    start = job_->system->Ticks();
  }
}

// Repetitions start `interval` seconds apart: the pause is what is left of the interval
// after the attempt, none when the attempt took longer.
void TSendThread::Pause(uint32_t start) {
  const int64_t interval = static_cast<int64_t>(interval_) * 1000;
  for (;;) {
    const int64_t remaining = interval - static_cast<uint32_t>(job_->system->Ticks() - start);
    if (remaining <= 0 || job_->host->Closed()) return;
    job_->system->Sleep(static_cast<uint32_t>(std::min(remaining, kPauseSlice)));
  }
}

void TSendThread::Report(std::string text, int image, NetStatus code) {
  job_->HandOver(LogEntry{std::move(text), job_->system->Now(), image, code});
}

}  // namespace korvel
