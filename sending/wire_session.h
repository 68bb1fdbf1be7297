// One delivery over the session service: connect, session request, then the messenger's start,
// text blocks and end, every reply read within its deadline and checked.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "sending/messenger.h"
#include "sending/netbios.h"
#include "sending/socket.h"

namespace korvel::wire {

struct WireTimeouts {
  std::chrono::milliseconds connect{3000};
  std::chrono::milliseconds reply{10000};  // each reply; the receiver's own work is inside it
  std::chrono::milliseconds total{20000};  // the whole delivery, retries included
};

struct Delivery {
  Ipv4 address;
  uint16_t port = 139;
  NetbiosName called;
  NetbiosName calling;
  // In 866. The text goes out whole, in blocks of at most 128 bytes; its length is the caller's
  // business.
  std::string originator;
  std::string destination;
  std::string text;
};

struct DeliveryResult {
  NetStatus status = 0;
  // The called name was refused and "*SMBSERVER" taken instead, which worked as far as the
  // session went: worth remembering for this address.
  bool tookAnyServerName = false;
};

// A negative session response is retried once with "*SMBSERVER" (as the system's clients do);
// a retarget response is followed, at most a few times.
DeliveryResult Deliver(const Delivery& delivery, const WireTimeouts& timeouts);

}  // namespace korvel::wire
