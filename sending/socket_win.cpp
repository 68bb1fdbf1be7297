// The socket layer on Winsock. Sockets are opened non-blocking and waited on with select();
// a TCP socket, once connected, blocks in its calls instead, each call bounded by SO_RCVTIMEO
// or SO_SNDTIMEO set to what is left of its deadline. Under Wine every select() is a round trip
// through the server and more: a sender that waited in select() at every step of a
// conversation lost a fifth of its speed, one that waits inside its calls a few per cent.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <string>

#include "sending/socket.h"

namespace korvel::wire {

namespace {

SOCKET Sock(uintptr_t handle) { return static_cast<SOCKET>(handle); }

// Winsock is started once per process and left running: sockets may be in use on any
// thread until the process ends.
bool Started() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

NetResult FromError(int error) {
  switch (error) {
    case WSAECONNREFUSED:
      return NetResult::Refused;
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
    case WSAEHOSTDOWN:
    case WSAENETDOWN:
      return NetResult::Unreachable;
    case WSAETIMEDOUT:
      return NetResult::TimedOut;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETRESET:
    case WSAESHUTDOWN:
      return NetResult::Closed;
    default:
      return NetResult::Failed;
  }
}

enum class Readiness { Read, Write };

// Waits until the socket is ready or the deadline has passed. A connect that fails shows up
// in the exception set.
NetResult Wait(SOCKET s, Readiness what, Deadline deadline) {
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return NetResult::TimedOut;
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval tv{static_cast<long>(std::min<long long>(left / 1000000, 1 << 30)),
               static_cast<long>(left % 1000000)};
    int n = select(0, what == Readiness::Read ? &ready : nullptr,
                   what == Readiness::Write ? &ready : nullptr, &failed, &tv);
    if (n > 0) return NetResult::Ok;
    if (n < 0) return FromError(WSAGetLastError());
  }
}

// Bounds the next blocking call on `s` by the deadline: its receive or send timeout becomes
// what is left, in whole milliseconds rounded up (so the call ends no earlier than the deadline
// and at most a millisecond later). The option is set only when its value changes: a
// conversation gives every step the same time, so mostly once per connection.
NetResult BoundByDeadline(SOCKET s, int option, uint32_t& current, Deadline deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return NetResult::TimedOut;
  const DWORD value = static_cast<DWORD>(std::min<long long>(left, 0x7FFFFFFF));
  if (current == value) return NetResult::Ok;
  if (setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof value) != 0)
    return FromError(WSAGetLastError());
  current = value;
  return NetResult::Ok;
}

sockaddr_in MakeAddress(Ipv4 address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address.value);
  return sa;
}

uintptr_t Open(int type, int protocol) {
  if (!Started()) return ~uintptr_t{0};
  // Overlapped, as socket() makes them: only such a socket's blocking calls keep to
  // SO_RCVTIMEO and SO_SNDTIMEO (without it they wait for ever).
  SOCKET s = WSASocketW(AF_INET, type, protocol, nullptr, 0,
                        WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  // Windows 7 before its first service pack does not know the flag and refuses the call with
  // WSAEINVAL: open the socket without it, and take the inheritance away afterwards. (A socket
  // that stays inheritable all the same still sends; only a child process would hold it open.)
  if (s == INVALID_SOCKET && WSAGetLastError() == WSAEINVAL) {
    s = WSASocketW(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (s != INVALID_SOCKET)
      SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  }
  if (s == INVALID_SOCKET) return ~uintptr_t{0};
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    closesocket(s);
    return ~uintptr_t{0};
  }
  return static_cast<uintptr_t>(s);
}

bool IsDatagram(SOCKET s) {
  int type = 0;
  int len = sizeof type;
  return getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &len) == 0 &&
         type == SOCK_DGRAM;
}

int ClampSize(size_t size) { return static_cast<int>(std::min<size_t>(size, 1 << 30)); }

}  // namespace

Socket Socket::Tcp() {
  Socket s(Open(SOCK_STREAM, IPPROTO_TCP), true);
  if (s.Valid()) {
    BOOL one = TRUE;
    setsockopt(Sock(s.handle_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one),
               sizeof one);
  }
  return s;
}

Socket Socket::Udp() { return Socket(Open(SOCK_DGRAM, IPPROTO_UDP)); }

void Socket::Close() {
  if (Valid()) closesocket(Sock(handle_));
  handle_ = kInvalid;
  blocking_ = false;
  receiveTimeout_ = sendTimeout_ = 0;
}

NetResult Socket::Connect(Ipv4 address, uint16_t port, Deadline deadline) {
  if (!Valid()) return NetResult::Failed;
  sockaddr_in sa = MakeAddress(address, port);
  if (connect(Sock(handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) return FromError(error);
    NetResult r = Wait(Sock(handle_), Readiness::Write, deadline);
    if (r != NetResult::Ok) return r;
    int soError = 0;
    int len = sizeof soError;
    if (getsockopt(Sock(handle_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) !=
        0)
      return FromError(WSAGetLastError());
    if (soError != 0) return FromError(soError);
  }
  // Should the switch fail, the socket stays non-blocking and its calls wait in select().
  u_long blocking = 0;
  if (stream_ && ioctlsocket(Sock(handle_), FIONBIO, &blocking) == 0) blocking_ = true;
  return NetResult::Ok;
}

NetResult Socket::SendAll(const uint8_t* data, size_t size, Deadline deadline) {
  if (!Valid()) return NetResult::Failed;
  size_t done = 0;
  while (done < size) {
    if (blocking_) {
      if (NetResult r = BoundByDeadline(Sock(handle_), SO_SNDTIMEO, sendTimeout_, deadline);
          r != NetResult::Ok)
        return r;
    }
    int n =
        send(Sock(handle_), reinterpret_cast<const char*>(data + done), ClampSize(size - done), 0);
    if (n >= 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return FromError(error);
    NetResult r = Wait(Sock(handle_), Readiness::Write, deadline);
    if (r != NetResult::Ok) return r;
  }
  return NetResult::Ok;
}

NetResult Socket::Receive(uint8_t* data, size_t capacity, size_t& received, Deadline deadline) {
  received = 0;
  if (!Valid()) return NetResult::Failed;
  for (;;) {
    if (blocking_) {
      if (NetResult r = BoundByDeadline(Sock(handle_), SO_RCVTIMEO, receiveTimeout_, deadline);
          r != NetResult::Ok)
        return r;
    }
    int n = recv(Sock(handle_), reinterpret_cast<char*>(data), ClampSize(capacity), 0);
    if (n > 0) {
      received = static_cast<size_t>(n);
      return NetResult::Ok;
    }
    if (n == 0) return NetResult::Closed;
    int error = WSAGetLastError();
    // A datagram larger than the buffer: its first part is what we keep.
    if (error == WSAEMSGSIZE) {
      received = capacity;
      return NetResult::Ok;
    }
    // On a UDP socket an ICMP "port unreachable" comes back as a reset.
    if (error == WSAECONNRESET && IsDatagram(Sock(handle_))) return NetResult::Refused;
    if (error != WSAEWOULDBLOCK) return FromError(error);
    NetResult r = Wait(Sock(handle_), Readiness::Read, deadline);
    if (r != NetResult::Ok) return r;
  }
}

bool Socket::Bind(Ipv4 address, uint16_t port) {
  if (!Valid()) return false;
  sockaddr_in sa = MakeAddress(address, port);
  return bind(Sock(handle_), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
}

bool Socket::Listen(int backlog) { return Valid() && listen(Sock(handle_), backlog) == 0; }

Socket Socket::Accept(Deadline deadline) {
  if (!Valid()) return Socket();
  for (;;) {
    SOCKET s = accept(Sock(handle_), nullptr, nullptr);
    if (s != INVALID_SOCKET) {
      u_long nonBlocking = 1;
      ioctlsocket(s, FIONBIO, &nonBlocking);
      BOOL one = TRUE;
      setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
      return Socket(static_cast<uintptr_t>(s));
    }
    int error = WSAGetLastError();
    if (error == WSAECONNRESET) continue;
    if (error != WSAEWOULDBLOCK) return Socket();
    if (Wait(Sock(handle_), Readiness::Read, deadline) != NetResult::Ok) return Socket();
  }
}

bool Socket::EnableBroadcast() {
  BOOL one = TRUE;
  return Valid() && setsockopt(Sock(handle_), SOL_SOCKET, SO_BROADCAST,
                               reinterpret_cast<const char*>(&one), sizeof one) == 0;
}

uint16_t Socket::LocalPort() const {
  sockaddr_in sa{};
  int len = sizeof sa;
  if (!Valid() || getsockname(Sock(handle_), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

NetResult Socket::SendTo(Ipv4 address, uint16_t port, const uint8_t* data, size_t size) {
  if (!Valid()) return NetResult::Failed;
  sockaddr_in sa = MakeAddress(address, port);
  int n = sendto(Sock(handle_), reinterpret_cast<const char*>(data), ClampSize(size), 0,
                 reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  if (n < 0) return FromError(WSAGetLastError());
  return static_cast<size_t>(n) == size ? NetResult::Ok : NetResult::Failed;
}

NetResult Socket::ReceiveFrom(uint8_t* data, size_t capacity, size_t& received, Ipv4& from,
                              uint16_t& fromPort, Deadline deadline) {
  received = 0;
  if (!Valid()) return NetResult::Failed;
  for (;;) {
    sockaddr_in sa{};
    int len = sizeof sa;
    int n = recvfrom(Sock(handle_), reinterpret_cast<char*>(data), ClampSize(capacity), 0,
                     reinterpret_cast<sockaddr*>(&sa), &len);
    int error = n < 0 ? WSAGetLastError() : 0;
    if (n >= 0 || error == WSAEMSGSIZE) {
      received = n >= 0 ? static_cast<size_t>(n) : capacity;
      from = Ipv4{ntohl(sa.sin_addr.s_addr)};
      fromPort = ntohs(sa.sin_port);
      return NetResult::Ok;
    }
    // An earlier datagram of ours was refused by some host; not an answer, keep waiting.
    if (error == WSAECONNRESET) continue;
    if (error != WSAEWOULDBLOCK) return FromError(error);
    NetResult r = Wait(Sock(handle_), Readiness::Read, deadline);
    if (r != NetResult::Ok) return r;
  }
}

std::vector<LocalInterface> LocalInterfaces() {
  std::vector<LocalInterface> result;
  if (!Started()) return result;
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return result;
  INTERFACE_INFO list[64];
  DWORD bytes = 0;
  int failed =
      WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, list, sizeof list, &bytes, nullptr, nullptr);
  closesocket(s);
  if (failed) return result;
  // Winsock reports 255.255.255.255 as every interface's broadcast address; the subnet's own
  // comes from the address and the mask.
  for (DWORD i = 0; i < bytes / sizeof(INTERFACE_INFO); ++i) {
    const INTERFACE_INFO& info = list[i];
    if (!(info.iiFlags & IFF_UP) || (info.iiFlags & IFF_LOOPBACK)) continue;
    if (!(info.iiFlags & IFF_BROADCAST) || info.iiAddress.Address.sa_family != AF_INET) continue;
    uint32_t address = ntohl(info.iiAddress.AddressIn.sin_addr.s_addr);
    uint32_t mask = ntohl(info.iiNetmask.AddressIn.sin_addr.s_addr);
    result.push_back({Ipv4{address}, Ipv4{address | ~mask}, Ipv4{mask}});
  }
  return result;
}

std::optional<Ipv4> SystemResolve(std::u16string_view name) {
  if (name.empty() || !Started()) return std::nullopt;
  std::wstring wide(name.begin(), name.end());
  if (wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  ADDRINFOW hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOW* list = nullptr;
  if (GetAddrInfoW(wide.c_str(), nullptr, &hints, &list) != 0 || !list) return std::nullopt;
  auto* sa = reinterpret_cast<sockaddr_in*>(list->ai_addr);
  Ipv4 address{ntohl(sa->sin_addr.s_addr)};
  FreeAddrInfoW(list);
  return address;
}

}  // namespace korvel::wire
