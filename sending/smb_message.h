// SMB1 as the messenger protocol uses it: the start, text block and end requests (0xD5, 0xD7,
// 0xD6), reading their replies, and the mailslot write (Transaction, 0x25) a datagram carries.
// No negotiate, no session setup: a messenger takes these right after the session request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sending/messenger.h"

namespace korvel::wire {

enum SmbCommand : uint8_t {
  kSmbTransaction = 0x25,
  kSmbSendStart = 0xD5,
  kSmbSendEnd = 0xD6,
  kSmbSendText = 0xD7,
};
constexpr size_t kSmbHeaderSize = 32;
// The most text one 0xD7 request carries.
constexpr size_t kMaxTextBlock = 128;

// Each returns a whole session message, its 4-byte NetBIOS header included. Names and text are
// 8-bit strings (866). Every header field but the command is zero, as the messenger protocol
// asks of a sender.
std::vector<uint8_t> BuildSendStart(std::string_view originator, std::string_view destination);
std::vector<uint8_t> BuildSendText(uint16_t group, std::string_view block);
std::vector<uint8_t> BuildSendEnd(uint16_t group);

// The SMB of a mailslot datagram: a Transaction request writing `data` to `mailslot`.
void AppendMailslotWrite(std::vector<uint8_t>& out, std::string_view mailslot,
                         std::string_view data);

struct SmbReply {
  enum class Kind { Accepted, Refused, Malformed };
  Kind kind = Kind::Malformed;
  NetStatus status = 0;  // of a refusal: the Windows error that the receiver's status stands for
  uint16_t group = 0;    // of an accepted start: the message group id, 0 when the reply has none
};
// `smb` is the payload of one session message. A reply must be for `command`, flagged as a
// reply, and hold its word and byte counts within the packet. The status is read in the form
// the reply's flags2 says (32-bit NT status, or DOS class and code).
SmbReply ParseSmbReply(const uint8_t* smb, size_t size, uint8_t command);

}  // namespace korvel::wire
