// NetBIOS name service questions (UDP 137): who holds a name, and which names a node holds.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "sending/netbios.h"
#include "sending/socket.h"

namespace korvel::wire {

struct NameServiceOptions {
  std::vector<Ipv4> targets;  // where a name query goes: the subnets' broadcast addresses
  uint16_t port = 137;
  std::chrono::milliseconds interval{250};  // how long each attempt waits for answers
  int attempts = 3;
};

// Asks for `name`; returns the address of the first positive answer that is none of `ignore`.
// Gives up at `limit` even when attempts are left.
std::optional<Ipv4> QueryName(const NetbiosName& name, const NameServiceOptions& options,
                              const std::vector<Ipv4>& ignore = {},
                              Deadline limit = Deadline::max());

// Asks the node at `address` for its names; nullopt when it does not answer (at once when its
// system says nothing listens there), by `limit` at the latest.
std::optional<std::vector<NodeStatusEntry>> QueryNodeStatus(Ipv4 address,
                                                            const NameServiceOptions& options,
                                                            Deadline limit = Deadline::max());

// Of a node's names, the one its messenger listens on: a unique <03> name, the computer's own
// (the one also held as a unique <00> or <20>) first. Names in conflict or being given up are
// not called, nor `refused`, which the node has just said it does not hold.
std::optional<NetbiosName> MessengerNameOf(const std::vector<NodeStatusEntry>& names,
                                           const std::optional<NetbiosName>& refused = {});

}  // namespace korvel::wire
