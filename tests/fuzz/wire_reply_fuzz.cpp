// What a receiver sends back on TCP 139: session headers, session answers and SMB replies. The
// first byte picks the command the reply is read for; the rest is the packet. Besides not
// crashing, what the parsers accept must be within what they were given.
#include <cstdint>
#include <cstdlib>

#include "sending/netbios.h"
#include "sending/smb_message.h"

using namespace korvel::wire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const uint8_t kCommands[] = {kSmbSendStart, kSmbSendText, kSmbSendEnd};
  const uint8_t command = kCommands[data[0] % 3];
  const uint8_t* packet = data + 1;
  const size_t length = size - 1;

  SmbReply reply = ParseSmbReply(packet, length, command);
  if (reply.kind == SmbReply::Kind::Accepted) {
    if (length < kSmbHeaderSize + 3 || packet[4] != command || !(packet[9] & 0x80)) std::abort();
    if (reply.group != 0 && command != kSmbSendStart) std::abort();
  }
  if (reply.kind == SmbReply::Kind::Refused && reply.status == 0) std::abort();

  if (length >= kSessionHeaderSize) {
    if (auto header = ParseSessionHeader(packet)) {
      if (header->length > kMaxSessionLength) std::abort();
      SessionAnswer answer = ParseSessionAnswer(header->type, packet + kSessionHeaderSize,
                                                length - kSessionHeaderSize);
      size_t payload = length - kSessionHeaderSize;
      if (answer.kind == SessionAnswer::Kind::Positive && payload != 0) std::abort();
      if (answer.kind == SessionAnswer::Kind::Retarget && payload != 6) std::abort();
    }
  }
  return 0;
}
