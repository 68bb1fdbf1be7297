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
  // The whole delivery of one message: finding the receiver's name, every session tried and
  // every reply. A peer that answers each request just inside `reply` cannot hold a worker
  // longer than this.
  std::chrono::milliseconds total{20000};
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
  // The receiver answered the session request with "called name not present" (0x82): nothing
  // there listens on that name.
  bool calledNameAbsent = false;
  // The session was open and the failure came from the messenger commands: a refusal, or the
  // connection closed under them. (A server that is no messenger does either.)
  bool refusedInSession = false;
};

// One try at `delivery.called`, ending by `end` at the latest. A retarget response is
// followed, at most a few times; nothing else is retried here.
DeliveryResult Deliver(const Delivery& delivery, const WireTimeouts& timeouts, Deadline end);

}  // namespace korvel::wire
