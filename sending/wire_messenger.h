// The messenger client on the wire: hands each message straight to the recipient's messenger,
// as the system's Messenger service did, for systems that no longer have one (every Windows since
// Vista, Wine). One object serves one send job; every call may come from any of its workers.
//
// A recipient is reached so:
//   - an IPv4 address ("10.0.0.7") as it is; the name to call there comes from a node status
//     question (UDP 137) when the computer answers one, else "*SMBSERVER";
//   - a name through the system's resolver (hosts file, DNS), then a NetBIOS name query for
//     NAME<03> on the subnets; a name of more than 15 bytes in 866 (or with characters 866 lacks)
//     cannot be a NetBIOS name and is never cut to one: only the resolver can find it;
//   - "GROUP*" and "*" as a datagram to the messenger mailslot (UDP 138) of the workgroup GROUP
//     or of the whole subnet; it cannot be confirmed, so it succeeds once it is sent.
// What is learnt about a recipient (its address, the name to call, a failure to find it) is kept
// for the rest of the job, so that many messages to one computer ask the network once.
//
// Limits, and what happens beyond them:
//   - the text is converted to 866 first (never through the process's code page), then cut into
//     blocks of at most 128 bytes; a text longer than `maxTextBytes` in 866 is refused whole
//     (kStatusTextTooLong) rather than delivered cut, since a cut message can say something else;
//   - the sender's name is informational to the receiver: a longer one is cut to 15 bytes;
//   - MessageNameAdd refuses a name that cannot be a NetBIOS name (kStatusInvalidName).
// Return values are the Windows error numbers listed in wire_status.h.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sending/messenger.h"
#include "sending/name_service.h"
#include "sending/socket.h"
#include "sending/wire_session.h"
#include "sending/wire_status.h"

namespace korvel::wire {

struct WireConfig {
  // This computer's name: the calling name of every session and the sender when none is given.
  std::u16string computerName;
  WireTimeouts timeouts;
  std::chrono::milliseconds nameQueryInterval{250};
  int nameQueryAttempts = 3;
  uint16_t sessionPort = 139;
  uint16_t nameServicePort = 137;
  uint16_t datagramPort = 138;
  // Where name queries and workgroup datagrams go; empty: the broadcast address of every
  // interface of this computer.
  std::vector<Ipv4> broadcastAddresses;
  // The system's resolver when empty.
  std::function<std::optional<Ipv4>(std::u16string_view)> resolve;
  // The receive buffer of the messengers that still exist (Samba's has been 1600 bytes since its
  // first versions; the published protocol asks senders for at most 652).
  size_t maxTextBytes = 1600;
  // The suffix a workgroup datagram is addressed to: <03>, the messenger's, as the published
  // protocol has every messenger recipient. Not confirmed against a Windows receiver.
  uint8_t groupSuffix = kMessengerSuffix;
};

class WireMessenger final : public Messenger {
 public:
  explicit WireMessenger(WireConfig config);
  ~WireMessenger() override;

  NetStatus MessageBufferSend(const char16_t* name, const char16_t* fromName, const uint8_t* buffer,
                              uint32_t byteLength) override;
  // Succeeds unless another computer answers a name query for NAME<03>: without the system's
  // service nothing registers the name, but the warning that it is taken stays true. Answered
  // once per name for the whole job.
  NetStatus MessageNameAdd(const char16_t* name) override;
  // Nothing was registered, so there is nothing to remove.
  NetStatus MessageNameDel(const char16_t* name) override;

 private:
  struct Route;
  struct Caches;

  NetStatus Send(std::u16string_view recipient, const char16_t* fromName, std::u16string_view text);
  NetStatus SendToGroup(std::u16string_view recipient, const std::string& originator,
                        const std::string& text);
  Route FindRoute(std::u16string_view recipient);
  NetStatus CheckName(std::u16string_view name);
  std::string Originator(const char16_t* fromName) const;
  NameServiceOptions NameService() const;

  const WireConfig config_;
  std::string callingName_;  // this computer's name in 866, at most 15 bytes
  std::vector<Ipv4> ownAddresses_;
  std::vector<Ipv4> broadcast_;
  std::atomic<uint16_t> datagramId_;
  std::unique_ptr<Caches> caches_;
};

}  // namespace korvel::wire
