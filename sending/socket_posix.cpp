// The socket layer on POSIX systems: non-blocking sockets waited on with poll().
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "sending/socket.h"

namespace korvel::wire {

namespace {

int Fd(uintptr_t handle) { return static_cast<int>(static_cast<intptr_t>(handle)); }

NetResult FromErrno(int error) {
  switch (error) {
    case ECONNREFUSED:
      return NetResult::Refused;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
    case ENETDOWN:
      return NetResult::Unreachable;
    case ETIMEDOUT:
      return NetResult::TimedOut;
    case ECONNRESET:
    case EPIPE:
    case ECONNABORTED:
      return NetResult::Closed;
    default:
      return NetResult::Failed;
  }
}

// Waits until the socket is ready for `events` or the deadline has passed.
NetResult Wait(int fd, short events, Deadline deadline) {
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return NetResult::TimedOut;
    pollfd p{fd, events, 0};
    int n = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
    if (n > 0) return NetResult::Ok;
    if (n < 0 && errno != EINTR) return FromErrno(errno);
  }
}

sockaddr_in MakeAddress(Ipv4 address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address.value);
  return sa;
}

uintptr_t Open(int type) {
  int fd = socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  return fd < 0 ? ~uintptr_t{0} : static_cast<uintptr_t>(fd);
}

}  // namespace

Socket Socket::Tcp() {
  Socket s(Open(SOCK_STREAM));
  if (s.Valid()) {
    int one = 1;
    setsockopt(Fd(s.handle_), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  return s;
}

Socket Socket::Udp() { return Socket(Open(SOCK_DGRAM)); }

void Socket::Close() {
  if (Valid()) close(Fd(handle_));
  handle_ = kInvalid;
}

NetResult Socket::Connect(Ipv4 address, uint16_t port, Deadline deadline) {
  if (!Valid()) return NetResult::Failed;
  sockaddr_in sa = MakeAddress(address, port);
  if (connect(Fd(handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return NetResult::Ok;
  if (errno != EINPROGRESS && errno != EINTR) return FromErrno(errno);
  NetResult r = Wait(Fd(handle_), POLLOUT, deadline);
  if (r != NetResult::Ok) return r;
  int error = 0;
  socklen_t len = sizeof error;
  if (getsockopt(Fd(handle_), SOL_SOCKET, SO_ERROR, &error, &len) != 0) return FromErrno(errno);
  return error == 0 ? NetResult::Ok : FromErrno(error);
}

NetResult Socket::SendAll(const uint8_t* data, size_t size, Deadline deadline) {
  if (!Valid()) return NetResult::Failed;
  size_t done = 0;
  while (done < size) {
    ssize_t n = send(Fd(handle_), data + done, size - done, MSG_NOSIGNAL);
    if (n >= 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return FromErrno(errno);
    NetResult r = Wait(Fd(handle_), POLLOUT, deadline);
    if (r != NetResult::Ok) return r;
  }
  return NetResult::Ok;
}

NetResult Socket::Receive(uint8_t* data, size_t capacity, size_t& received, Deadline deadline) {
  received = 0;
  if (!Valid()) return NetResult::Failed;
  for (;;) {
    ssize_t n = recv(Fd(handle_), data, capacity, 0);
    if (n > 0) {
      received = static_cast<size_t>(n);
      return NetResult::Ok;
    }
    if (n == 0) return NetResult::Closed;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return FromErrno(errno);
    NetResult r = Wait(Fd(handle_), POLLIN, deadline);
    if (r != NetResult::Ok) return r;
  }
}

bool Socket::Bind(Ipv4 address, uint16_t port) {
  if (!Valid()) return false;
  int one = 1;
  setsockopt(Fd(handle_), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa = MakeAddress(address, port);
  return bind(Fd(handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
}

bool Socket::Listen(int backlog) { return Valid() && listen(Fd(handle_), backlog) == 0; }

Socket Socket::Accept(Deadline deadline) {
  if (!Valid()) return Socket();
  for (;;) {
    int fd = accept4(Fd(handle_), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0) {
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      return Socket(static_cast<uintptr_t>(fd));
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Socket();
    if (Wait(Fd(handle_), POLLIN, deadline) != NetResult::Ok) return Socket();
  }
}

bool Socket::EnableBroadcast() {
  int one = 1;
  return Valid() && setsockopt(Fd(handle_), SOL_SOCKET, SO_BROADCAST, &one, sizeof one) == 0;
}

uint16_t Socket::LocalPort() const {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (!Valid() || getsockname(Fd(handle_), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

NetResult Socket::SendTo(Ipv4 address, uint16_t port, const uint8_t* data, size_t size) {
  if (!Valid()) return NetResult::Failed;
  sockaddr_in sa = MakeAddress(address, port);
  for (;;) {
    ssize_t n =
        sendto(Fd(handle_), data, size, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    if (n >= 0) return static_cast<size_t>(n) == size ? NetResult::Ok : NetResult::Failed;
    if (errno != EINTR) return FromErrno(errno);
  }
}

NetResult Socket::ReceiveFrom(uint8_t* data, size_t capacity, size_t& received, Ipv4& from,
                              uint16_t& fromPort, Deadline deadline) {
  received = 0;
  if (!Valid()) return NetResult::Failed;
  for (;;) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ssize_t n = recvfrom(Fd(handle_), data, capacity, 0, reinterpret_cast<sockaddr*>(&sa), &len);
    if (n >= 0) {
      received = static_cast<size_t>(n);
      from = Ipv4{ntohl(sa.sin_addr.s_addr)};
      fromPort = ntohs(sa.sin_port);
      return NetResult::Ok;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return FromErrno(errno);
    NetResult r = Wait(Fd(handle_), POLLIN, deadline);
    if (r != NetResult::Ok) return r;
  }
}

std::vector<LocalInterface> LocalInterfaces() {
  std::vector<LocalInterface> result;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return result;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
    if (!(i->ifa_flags & IFF_BROADCAST) || !i->ifa_broadaddr || !i->ifa_netmask) continue;
    auto* addr = reinterpret_cast<sockaddr_in*>(i->ifa_addr);
    auto* broad = reinterpret_cast<sockaddr_in*>(i->ifa_broadaddr);
    auto* mask = reinterpret_cast<sockaddr_in*>(i->ifa_netmask);
    result.push_back({Ipv4{ntohl(addr->sin_addr.s_addr)}, Ipv4{ntohl(broad->sin_addr.s_addr)},
                      Ipv4{ntohl(mask->sin_addr.s_addr)}});
  }
  freeifaddrs(list);
  return result;
}

std::optional<Ipv4> SystemResolve(std::u16string_view name) {
  // getaddrinfo takes UTF-8 here.
  std::string utf8;
  for (size_t i = 0; i < name.size(); ++i) {
    uint32_t c = name[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
        name[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00u);
    else if (c >= 0xD800 && c < 0xE000)
      return std::nullopt;
    if (c == 0) return std::nullopt;
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      utf8 += static_cast<char>(0xE0 | (c >> 12));
      utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      utf8 += static_cast<char>(0xF0 | (c >> 18));
      utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  if (utf8.empty()) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(utf8.c_str(), nullptr, &hints, &list) != 0 || !list) return std::nullopt;
  auto* sa = reinterpret_cast<sockaddr_in*>(list->ai_addr);
  Ipv4 address{ntohl(sa->sin_addr.s_addr)};
  freeaddrinfo(list);
  return address;
}

}  // namespace korvel::wire
