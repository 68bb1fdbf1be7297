// The conversation on TCP 139 for one message.
#include "sending/wire_session.h"

#include <algorithm>
#include <vector>

#include "sending/smb_message.h"
#include "sending/wire_status.h"

namespace korvel::wire {

namespace {

constexpr int kMaxRetargets = 3;
// Session answers hold at most 6 bytes and messenger replies a few dozen: anything longer than
// this is not an answer of the protocol, and is not read.
constexpr uint32_t kMaxReplyLength = 1024;

NetStatus StatusOf(NetResult r) {
  switch (r) {
    case NetResult::Ok:
      return kNerrSuccess;
    case NetResult::Refused:
      return kStatusConnectionRefused;
    case NetResult::Unreachable:
      return kStatusHostUnreachable;
    case NetResult::TimedOut:
      return kStatusTimeout;
    case NetResult::Closed:
    case NetResult::Failed:
      break;
  }
  return kStatusNetworkError;
}

// The session service's refusals. 0x82: nothing there holds the name called, which the
// Messenger reported as a name it could not find. 0x80, 0x81 and 0x8F are what Windows' own
// NetBIOS reports as "not listening". 0x83 keeps a code of its own: a receiver short of
// resources now may take the message later.
NetStatus StatusOfRefusal(uint8_t error) {
  switch (error) {
    case 0x82:  // called name not present
      return kStatusNameNotFound;
    case 0x83:  // insufficient resources
      return kStatusReceiverBusy;
    default:  // 0x80 not listening on the called name, 0x81 not for ours, 0x8F unspecified
      return kStatusRemoteNotListening;
  }
}

class Conversation {
 public:
  Conversation(const WireTimeouts& timeouts, Deadline end) : timeouts_(timeouts), end_(end) {}

  Deadline ReplyDeadline() const { return std::min(Clock::now() + timeouts_.reply, end_); }
  Deadline ConnectDeadline() const { return std::min(Clock::now() + timeouts_.connect, end_); }

  // A connection and what has come in on it past the last packet read.
  struct Line {
    Socket socket;
    std::vector<uint8_t> unread;
  };

  // Reads one packet, stepping over keep-alives. A packet mostly comes in one piece: it is
  // taken with whatever came with it, and what follows it is kept for the next read.
  NetStatus Read(Line& line, uint8_t& type, std::vector<uint8_t>& payload) {
    const Deadline deadline = ReplyDeadline();
    for (;;) {
      if (NetStatus status = Fill(line, kSessionHeaderSize, deadline); status != kNerrSuccess)
        return status;
      auto header = ParseSessionHeader(line.unread.data());
      if (!header || header->length > kMaxReplyLength) return kStatusNetworkError;
      const size_t size = kSessionHeaderSize + header->length;
      if (NetStatus status = Fill(line, size, deadline); status != kNerrSuccess) return status;
      const auto end = line.unread.begin() + static_cast<std::ptrdiff_t>(size);
      payload.assign(line.unread.begin() + kSessionHeaderSize, end);
      line.unread.erase(line.unread.begin(), end);
      if (header->type == kSessionKeepAlive) continue;
      type = header->type;
      return kNerrSuccess;
    }
  }

  struct Session {
    NetStatus status = kNerrSuccess;
    Line line;
    bool nameAbsent = false;
  };

  Session Open(Ipv4 address, uint16_t port, const NetbiosName& called, const NetbiosName& calling) {
    const std::vector<uint8_t> request = BuildSessionRequest(called, calling);
    for (int hop = 0; hop <= kMaxRetargets; ++hop) {
      Session s;
      s.line.socket = Socket::Tcp();
      if (!s.line.socket.Valid()) return {kStatusNetworkError, {}, false};
      if (NetResult r = s.line.socket.Connect(address, port, ConnectDeadline()); r != NetResult::Ok)
        return {StatusOf(r), {}, false};
      if (NetResult r = s.line.socket.SendAll(request.data(), request.size(), ReplyDeadline());
          r != NetResult::Ok)
        return {StatusOf(r), {}, false};
      uint8_t type = 0;
      std::vector<uint8_t> payload;
      if (NetStatus status = Read(s.line, type, payload); status != kNerrSuccess)
        return {status, {}, false};
      SessionAnswer answer = ParseSessionAnswer(type, payload.data(), payload.size());
      switch (answer.kind) {
        case SessionAnswer::Kind::Positive:
          return s;
        case SessionAnswer::Kind::Negative:
          return {StatusOfRefusal(answer.error), {}, answer.error == 0x82};
        case SessionAnswer::Kind::Retarget:
          address = answer.address;
          port = answer.port;
          continue;
        case SessionAnswer::Kind::Invalid:
          return {kStatusNetworkError, {}, false};
      }
    }
    return {kStatusNetworkError, {}, false};
  }

  // Sends one request and reads its reply.
  NetStatus Exchange(Line& line, const std::vector<uint8_t>& request, uint8_t command,
                     uint16_t* group = nullptr) {
    if (NetResult r = line.socket.SendAll(request.data(), request.size(), ReplyDeadline());
        r != NetResult::Ok)
      return StatusOf(r);
    uint8_t type = 0;
    std::vector<uint8_t> payload;
    if (NetStatus status = Read(line, type, payload); status != kNerrSuccess) return status;
    if (type != kSessionMessage) return kStatusNetworkError;
    SmbReply reply = ParseSmbReply(payload.data(), payload.size(), command);
    switch (reply.kind) {
      case SmbReply::Kind::Accepted:
        if (group) *group = reply.group;
        return kNerrSuccess;
      case SmbReply::Kind::Refused:
        return reply.status;
      case SmbReply::Kind::Malformed:
        break;
    }
    return kStatusNetworkError;
  }

 private:
  // Receives until at least `size` bytes are unread.
  static NetStatus Fill(Line& line, size_t size, Deadline deadline) {
    uint8_t chunk[kSessionHeaderSize + kMaxReplyLength];
    while (line.unread.size() < size) {
      size_t got = 0;
      if (NetResult r = line.socket.Receive(chunk, sizeof chunk, got, deadline); r != NetResult::Ok)
        return StatusOf(r);
      line.unread.insert(line.unread.end(), chunk, chunk + got);
    }
    return kNerrSuccess;
  }

  const WireTimeouts& timeouts_;
  const Deadline end_;
};

}  // namespace

DeliveryResult Deliver(const Delivery& d, const WireTimeouts& timeouts, Deadline end) {
  Conversation c(timeouts, end);
  DeliveryResult result;
  Conversation::Session session = c.Open(d.address, d.port, d.called, d.calling);
  if (session.status != kNerrSuccess) {
    result.status = session.status;
    result.calledNameAbsent = session.nameAbsent;
    return result;
  }

  uint16_t group = 0;
  result.status =
      c.Exchange(session.line, BuildSendStart(d.originator, d.destination), kSmbSendStart, &group);
  for (size_t at = 0; result.status == kNerrSuccess && at < d.text.size(); at += kMaxTextBlock) {
    std::string_view block = std::string_view(d.text).substr(at, kMaxTextBlock);
    result.status = c.Exchange(session.line, BuildSendText(group, block), kSmbSendText);
  }
  if (result.status == kNerrSuccess)
    result.status = c.Exchange(session.line, BuildSendEnd(group), kSmbSendEnd);
  result.refusedInSession = result.status != kNerrSuccess && result.status != kStatusTimeout;
  return result;
}

}  // namespace korvel::wire
