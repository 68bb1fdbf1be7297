// TSendThread: delivers one message to one recipient, once or `count` times
// `interval` seconds apart, under the sender-name policy, and hands every attempt over
// to the log.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "sending/send_job.h"

namespace korvel {

// A name as the transport takes it: at most 128 characters and a terminating zero.
using NameBuffer = std::array<char16_t, 129>;

// `text` (Windows-1251) in UTF-16, zero-terminated; a name of more than 128 characters
// does not fit and gives the empty name.
NameBuffer ToNameBuffer(const std::string& text);

class TSendThread {
 public:
  TSendThread(std::shared_ptr<SendJob> job, std::string sender, std::string recipient,
              std::string message, int32_t count, int32_t interval);
  // The thread body. Nothing leaves it.
  void Execute() noexcept;

 private:
  void Run();
  void Repeat(const char16_t* fromName, const std::vector<uint8_t>& buffer, uint32_t start);
  void Pause(uint32_t start);
  void Report(std::string text, int image, NetStatus code = kNerrSuccess);

  std::shared_ptr<SendJob> job_;
  std::string sender_;
  std::string recipient_;
  std::string message_;
  int32_t count_;
  int32_t interval_;
  NameBuffer recipientBuffer_{};
  NameBuffer senderBuffer_{};
};

}  // namespace korvel
