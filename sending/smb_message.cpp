// Building the messenger's SMB requests and reading the replies.
#include "sending/smb_message.h"

#include <initializer_list>
#include <utility>

#include "sending/netbios.h"
#include "sending/wire_status.h"

namespace korvel::wire {

namespace {

constexpr uint8_t kReplyFlag = 0x80;
constexpr uint16_t kNtStatusFlag = 0x4000;

void Put16(std::vector<uint8_t>& out, size_t at, size_t value) {
  out[at] = static_cast<uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

void Append16(std::vector<uint8_t>& out, size_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void AppendHeader(std::vector<uint8_t>& out, uint8_t command) {
  size_t at = out.size();
  out.resize(at + kSmbHeaderSize, 0);
  out[at] = 0xFF;
  out[at + 1] = 'S';
  out[at + 2] = 'M';
  out[at + 3] = 'B';
  out[at + 4] = command;
}

// A session message holding one SMB request: header, words, bytes.
class Request {
 public:
  explicit Request(uint8_t command) {
    AppendSessionHeader(out_, kSessionMessage, 0);
    AppendHeader(out_, command);
  }
  void Words(std::initializer_list<uint16_t> words) {
    out_.push_back(static_cast<uint8_t>(words.size()));
    for (uint16_t w : words) Append16(out_, w);
    byteCountAt_ = out_.size();
    Append16(out_, 0);
  }
  void String(std::string_view s) {  // buffer format 0x04: NUL-terminated string
    out_.push_back(0x04);
    out_.insert(out_.end(), s.begin(), s.end());
    out_.push_back(0);
  }
  void Block(std::string_view s) {  // buffer format 0x01: length-prefixed bytes
    out_.push_back(0x01);
    Append16(out_, s.size());
    out_.insert(out_.end(), s.begin(), s.end());
  }
  std::vector<uint8_t> Finish() {
    Put16(out_, byteCountAt_, out_.size() - byteCountAt_ - 2);
    size_t length = out_.size() - kSessionHeaderSize;
    out_[1] = static_cast<uint8_t>((length >> 16) & 1);
    out_[2] = static_cast<uint8_t>((length >> 8) & 0xFF);
    out_[3] = static_cast<uint8_t>(length & 0xFF);
    return std::move(out_);
  }

 private:
  std::vector<uint8_t> out_;
  size_t byteCountAt_ = 0;
};

NetStatus FromNtStatus(uint32_t status) {
  switch (status) {
    case 0xC00000D0:  // STATUS_REQUEST_NOT_ACCEPTED
      return kStatusRequestNotAccepted;
    case 0xC000000D:  // STATUS_INVALID_PARAMETER
      return kStatusInvalidParameter;
    default:
      return kStatusBadNetResponse;
  }
}

NetStatus FromDosError(uint8_t errorClass, uint16_t code) {
  // ERRDOS codes are Windows error numbers.
  if (errorClass == 0x01 && code != 0) return code;
  // ERRSRV: ERRpaused, ERRmsgoff, ERRnoroom, ERRrmuns.
  if (errorClass == 0x02 && (code == 81 || code == 82 || code == 83 || code == 87))
    return kStatusRequestNotAccepted;
  return kStatusBadNetResponse;
}

}  // namespace

std::vector<uint8_t> BuildSendStart(std::string_view originator, std::string_view destination) {
  Request r(kSmbSendStart);
  r.Words({});
  r.String(originator);
  r.String(destination);
  return r.Finish();
}

std::vector<uint8_t> BuildSendText(uint16_t group, std::string_view block) {
  Request r(kSmbSendText);
  r.Words({group});
  r.Block(block);
  return r.Finish();
}

std::vector<uint8_t> BuildSendEnd(uint16_t group) {
  Request r(kSmbSendEnd);
  r.Words({group});
  return r.Finish();
}

void AppendMailslotWrite(std::vector<uint8_t>& out, std::string_view mailslot,
                         std::string_view data) {
  constexpr size_t kWords = 17;
  const size_t dataOffset = kSmbHeaderSize + 1 + 2 * kWords + 2 + mailslot.size() + 1;
  AppendHeader(out, kSmbTransaction);
  out.push_back(kWords);
  Append16(out, 0);            // total parameter count
  Append16(out, data.size());  // total data count
  Append16(out, 0);            // max parameter count
  Append16(out, 0);            // max data count
  Append16(out, 0);            // max setup count, reserved
  Append16(out, 0);            // flags
  Append16(out, 0);            // timeout, 32 bits
  Append16(out, 0);            //
  Append16(out, 0);            // reserved
  Append16(out, 0);            // parameter count
  Append16(out, dataOffset);   // parameter offset (no parameters: where the data starts)
  Append16(out, data.size());  // data count
  Append16(out, dataOffset);   // data offset, from the start of the SMB header
  Append16(out, 3);            // setup count 3, reserved
  Append16(out, 1);            // mailslot write
  Append16(out, 0);            // priority
  Append16(out, 2);            // class 2: unreliable, may be broadcast
  Append16(out, mailslot.size() + 1 + data.size());
  out.insert(out.end(), mailslot.begin(), mailslot.end());
  out.push_back(0);
  out.insert(out.end(), data.begin(), data.end());
}

SmbReply ParseSmbReply(const uint8_t* smb, size_t size, uint8_t command) {
  SmbReply reply;
  if (size < kSmbHeaderSize || smb[0] != 0xFF || smb[1] != 'S' || smb[2] != 'M' || smb[3] != 'B' ||
      smb[4] != command || !(smb[9] & kReplyFlag))
    return reply;

  const uint16_t flags2 = Read16(smb + 10);
  if (flags2 & kNtStatusFlag) {
    uint32_t status = Read32(smb + 5);
    if (status != 0) return {SmbReply::Kind::Refused, FromNtStatus(status), 0};
  } else if (smb[5] != 0) {
    return {SmbReply::Kind::Refused, FromDosError(smb[5], Read16(smb + 7)), 0};
  }

  if (size < kSmbHeaderSize + 3) return reply;
  const size_t words = smb[kSmbHeaderSize];
  const size_t byteCountAt = kSmbHeaderSize + 1 + 2 * words;
  if (byteCountAt + 2 > size) return reply;
  if (byteCountAt + 2 + Read16(smb + byteCountAt) > size) return reply;
  reply.kind = SmbReply::Kind::Accepted;
  if (command == kSmbSendStart && words >= 1) reply.group = Read16(smb + kSmbHeaderSize + 1);
  return reply;
}

}  // namespace korvel::wire
