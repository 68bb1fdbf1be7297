// IPv4 sockets with deadlines, the same on POSIX (socket_posix.cpp) and Winsock (socket_win.cpp).
// Every call that waits takes a deadline; nothing here blocks without one.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::wire {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

// An IPv4 address in host byte order (127.0.0.1 is 0x7F000001).
struct Ipv4 {
  uint32_t value = 0;
  friend auto operator<=>(const Ipv4&, const Ipv4&) = default;
};

// Strict dotted decimal, four parts of 0 to 255 ("10.0.0.1"); nothing else.
std::optional<Ipv4> ParseIpv4(std::string_view text);
std::optional<Ipv4> ParseIpv4(std::u16string_view text);
std::string ToString(Ipv4 address);

enum class NetResult {
  Ok,
  Refused,      // nobody listens there (TCP reset, ICMP port unreachable)
  Unreachable,  // no route, no host
  TimedOut,     // the deadline passed
  Closed,       // the peer closed or reset the connection
  Failed,       // anything else the system reported
};

// One socket; closed by the destructor. Every wait is bounded by the caller's deadline: with
// poll()/select() on a non-blocking socket, or (a connected TCP socket on Winsock) inside the
// call itself, under a receive or send timeout.
class Socket {
 public:
  Socket() = default;
  ~Socket();
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // An invalid socket when the system refuses one.
  static Socket Tcp();
  static Socket Udp();

  bool Valid() const;
  void Close();

  // For UDP, Connect only fixes the peer (so that an ICMP refusal is reported by Receive).
  NetResult Connect(Ipv4 address, uint16_t port, Deadline deadline);
  NetResult SendAll(const uint8_t* data, size_t size, Deadline deadline);
  // Reads between 1 and `capacity` bytes (one datagram on UDP); Closed when the peer has closed.
  NetResult Receive(uint8_t* data, size_t capacity, size_t& received, Deadline deadline);
  // Reads exactly `size` bytes or fails.
  NetResult ReceiveAll(uint8_t* data, size_t size, Deadline deadline);

  bool Bind(Ipv4 address, uint16_t port);
  bool Listen(int backlog);
  Socket Accept(Deadline deadline);
  bool EnableBroadcast();
  uint16_t LocalPort() const;

  NetResult SendTo(Ipv4 address, uint16_t port, const uint8_t* data, size_t size);
  NetResult ReceiveFrom(uint8_t* data, size_t capacity, size_t& received, Ipv4& from,
                        uint16_t& fromPort, Deadline deadline);

 private:
  explicit Socket(uintptr_t handle, bool stream = false) : handle_(handle), stream_(stream) {}
  static constexpr uintptr_t kInvalid = ~uintptr_t{0};
  uintptr_t handle_ = kInvalid;
  bool stream_ = false;
  // Winsock: connected, the socket blocks in its calls, bounded by the timeouts last set on it
  // (milliseconds, 0 while none is).
  bool blocking_ = false;
  uint32_t receiveTimeout_ = 0;
  uint32_t sendTimeout_ = 0;
};

struct LocalInterface {
  Ipv4 address;
  Ipv4 broadcast;
  Ipv4 mask;
};
// The IPv4 interfaces that are up and can broadcast (loopback excluded).
std::vector<LocalInterface> LocalInterfaces();
// This computer's address on the subnet that holds `target` (a subnet's broadcast address, or a
// host on it); nullopt when no interface's subnet holds it.
std::optional<Ipv4> InterfaceAddressFor(Ipv4 target, const std::vector<LocalInterface>& interfaces);

// The system's resolver: hosts file, DNS (and whatever else the system asks). IPv4 only. It
// waits as long as the system does: callers that must not, bound it (wire_messenger.cpp).
std::optional<Ipv4> SystemResolve(std::u16string_view name);

}  // namespace korvel::wire
