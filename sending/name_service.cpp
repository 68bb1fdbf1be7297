// Name queries and node status over UDP, with the retries RFC 1002 gives (3 × 250 ms).
#include "sending/name_service.h"

#include <algorithm>
#include <array>
#include <atomic>

namespace korvel::wire {

namespace {

constexpr size_t kMaxDatagram = 1500;

uint16_t NextId() {
  static std::atomic<uint32_t> counter{
      static_cast<uint32_t>(Clock::now().time_since_epoch().count())};
  return static_cast<uint16_t>(counter.fetch_add(1) & 0xFFFF);
}

}  // namespace

std::optional<Ipv4> QueryName(const NetbiosName& name, const NameServiceOptions& options,
                              const std::vector<Ipv4>& ignore, Deadline limit) {
  if (options.targets.empty()) return std::nullopt;
  Socket socket = Socket::Udp();
  if (!socket.Valid()) return std::nullopt;
  socket.EnableBroadcast();
  const uint16_t id = NextId();
  const std::vector<uint8_t> query = BuildNameQuery(id, name, true);
  std::array<uint8_t, kMaxDatagram> buffer;
  for (int attempt = 0; attempt < options.attempts && Clock::now() < limit; ++attempt) {
    for (Ipv4 target : options.targets)
      socket.SendTo(target, options.port, query.data(), query.size());
    const Deadline deadline = std::min(Clock::now() + options.interval, limit);
    for (;;) {
      size_t got = 0;
      Ipv4 from;
      uint16_t fromPort = 0;
      if (socket.ReceiveFrom(buffer.data(), buffer.size(), got, from, fromPort, deadline) !=
          NetResult::Ok)
        break;
      NameQueryAnswer answer = ParseNameQueryAnswer(buffer.data(), got, id, name);
      if (answer.kind != NameQueryAnswer::Kind::Positive) continue;
      for (Ipv4 address : answer.addresses)
        if (std::find(ignore.begin(), ignore.end(), address) == ignore.end()) return address;
    }
  }
  return std::nullopt;
}

std::optional<std::vector<NodeStatusEntry>> QueryNodeStatus(Ipv4 address,
                                                            const NameServiceOptions& options,
                                                            Deadline limit) {
  Socket socket = Socket::Udp();
  if (!socket.Valid()) return std::nullopt;
  if (socket.Connect(address, options.port, std::min(Clock::now() + options.interval, limit)) !=
      NetResult::Ok)
    return std::nullopt;
  const uint16_t id = NextId();
  const std::vector<uint8_t> query = BuildNodeStatusQuery(id);
  std::array<uint8_t, kMaxDatagram> buffer;
  for (int attempt = 0; attempt < options.attempts && Clock::now() < limit; ++attempt) {
    const Deadline deadline = std::min(Clock::now() + options.interval, limit);
    if (socket.SendAll(query.data(), query.size(), deadline) == NetResult::Refused)
      return std::nullopt;
    for (;;) {
      size_t got = 0;
      NetResult r = socket.Receive(buffer.data(), buffer.size(), got, deadline);
      if (r == NetResult::Refused) return std::nullopt;
      if (r != NetResult::Ok) break;
      if (auto names = ParseNodeStatusAnswer(buffer.data(), got, id)) return names;
    }
  }
  return std::nullopt;
}

std::optional<NetbiosName> MessengerNameOf(const std::vector<NodeStatusEntry>& names,
                                           const std::optional<NetbiosName>& refused) {
  std::optional<NetbiosName> first;
  for (const NodeStatusEntry& e : names) {
    if (e.group || e.name.Suffix() != kMessengerSuffix || e.conflict || e.deregistering) continue;
    if (refused && e.name == *refused) continue;
    if (!first) first = e.name;
    bool computer = std::any_of(names.begin(), names.end(), [&](const NodeStatusEntry& other) {
      return !other.group &&
             (other.name.Suffix() == kWorkstationSuffix || other.name.Suffix() == kServerSuffix) &&
             std::equal(other.name.bytes.begin(), other.name.bytes.begin() + kNetbiosNameLength,
                        e.name.bytes.begin());
    });
    if (computer) return e.name;
  }
  return first;
}

}  // namespace korvel::wire
