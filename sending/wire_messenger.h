// The messenger client on the wire: hands each message straight to the recipient's messenger,
// as the system's Messenger service did, for systems that no longer have one (every Windows since
// Vista, Wine). One object serves one send job; every call may come from any of its workers.
//
// A recipient is reached so:
//   - a name that can be a NetBIOS name (no dot, at most 15 bytes in 866) is asked of the
//     NetBIOS name service first, as NAME<03> on the subnets (3 × 250 ms, as RFC 1002 has it),
//     then of the system's resolver (hosts file, DNS) under a deadline, so that a DNS server
//     that does not answer costs a worker seconds, not minutes. NAME<03> is called there;
//   - a name with a dot, or too long for NetBIOS, only through the system's resolver; it is
//     never cut to a NetBIOS name;
//   - an IPv4 address ("10.0.0.7") as it is.
//   Where the name to call is not the recipient's own (an address, a DNS name), or the
//   computer answers that it does not hold NAME<03> (negative session response 0x82), its node
//   status (UDP 137) gives the messenger name it holds, and that is called. A node status
//   without one means no messenger there (kStatusNameNotFound), and so the caller can try
//   another way (the Remote Desktop message). Only an address that answers no node status at
//   all (a Samba server without its name service) is called as "*SMBSERVER", and if that
//   server then refuses the messenger commands, that is no messenger there either.
//   - "GROUP*" as a datagram to the messenger mailslot (UDP 138) of the workgroup or domain
//     GROUP: to its group name GROUP<00>, which every member registers, on each subnet's
//     broadcast address, from this computer's address on that subnet. "*" is this computer's
//     own workgroup, sent exactly as "WORKGROUP*". A datagram cannot be confirmed, so it
//     succeeds once it is sent.
// What led to a delivery, and clear negative answers (a name nobody holds, a computer without
// a messenger), are kept for the rest of the job, so that many messages to one computer ask the
// network once. Nothing learnt on the way to a failed delivery is kept.
//
// Limits, and what happens beyond them:
//   - the text is converted to 866 first (never through the process's code page), then cut into
//     blocks of at most 128 bytes. The messenger protocol allows a text of at most 652 bytes in
//     the OEM code page ([MS-MSRP] 3.2.4.4); a longer one is refused whole (kStatusTextTooLong)
//     rather than delivered cut, since a cut message can say something else. (Samba takes
//     more, but a Windows messenger need not.)
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
  // This computer's interfaces, for the source address of a datagram; empty: the system's.
  std::vector<LocalInterface> interfaces;
  // The system's resolver when empty. Runs on a thread of its own: past `resolverTimeout` the
  // worker stops waiting for it.
  std::function<std::optional<Ipv4>(std::u16string_view)> resolve;
  std::chrono::milliseconds resolverTimeout{3000};
  // The workgroup or domain this computer belongs to, which "*" means; asked once, when "*"
  // is first sent. Empty, or nullopt: not known.
  std::function<std::optional<std::u16string>()> ownWorkgroup;
  // The longest text, in bytes of 866 ([MS-MSRP] 3.2.4.4).
  size_t maxTextBytes = 652;
  // The suffix a workgroup datagram is addressed to: the group name every member of a workgroup
  // or domain registers.
  uint8_t groupSuffix = kWorkstationSuffix;
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
  struct Outcome;
  struct Caches;

  NetStatus Send(std::u16string_view recipient, const char16_t* fromName, std::u16string_view text);
  NetStatus SendToGroup(std::u16string_view group, const std::string& originator,
                        const std::string& text);
  Route FindRoute(std::u16string_view recipient, Deadline end);
  Route RouteToAddress(Ipv4 address, const std::string& destination, Deadline end);
  Outcome DeliverAlong(const Route& route, Delivery d, Deadline end);
  NetStatus CheckName(std::u16string_view name);
  std::string Originator(const char16_t* fromName) const;
  NameServiceOptions NameService() const;

  const WireConfig config_;
  std::string callingName_;  // this computer's name in 866, at most 15 bytes
  std::vector<LocalInterface> interfaces_;
  std::vector<Ipv4> ownAddresses_;
  std::vector<Ipv4> broadcast_;
  std::atomic<uint16_t> datagramId_;
  std::unique_ptr<Caches> caches_;
};

}  // namespace korvel::wire
