// The parts of the socket layer that are the same on every system.
#include "sending/socket.h"

#include <utility>

namespace korvel::wire {

namespace {

template <class Char>
std::optional<Ipv4> ParseDotted(std::basic_string_view<Char> text) {
  uint32_t value = 0;
  size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (i >= text.size() || text[i] != Char('.')) return std::nullopt;
      ++i;
    }
    size_t start = i;
    uint32_t octet = 0;
    while (i < text.size() && text[i] >= Char('0') && text[i] <= Char('9') && i - start < 3)
      octet = octet * 10 + static_cast<uint32_t>(text[i++] - Char('0'));
    // "010" is octal to inet_addr: leave such forms to the system's resolver.
    if (i == start || octet > 255 || (i - start > 1 && text[start] == Char('0')))
      return std::nullopt;
    value = (value << 8) | octet;
  }
  if (i != text.size()) return std::nullopt;
  return Ipv4{value};
}

}  // namespace

Socket::~Socket() { Close(); }

Socket::Socket(Socket&& other) noexcept { *this = std::move(other); }

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, kInvalid);
    stream_ = std::exchange(other.stream_, false);
    blocking_ = std::exchange(other.blocking_, false);
    receiveTimeout_ = std::exchange(other.receiveTimeout_, 0);
    sendTimeout_ = std::exchange(other.sendTimeout_, 0);
  }
  return *this;
}

bool Socket::Valid() const { return handle_ != kInvalid; }

std::optional<Ipv4> ParseIpv4(std::string_view text) { return ParseDotted(text); }
std::optional<Ipv4> ParseIpv4(std::u16string_view text) { return ParseDotted(text); }

std::string ToString(Ipv4 address) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    if (shift != 24) s += '.';
    s += std::to_string((address.value >> shift) & 0xFF);
  }
  return s;
}

std::optional<Ipv4> InterfaceAddressFor(Ipv4 target,
                                        const std::vector<LocalInterface>& interfaces) {
  for (const LocalInterface& i : interfaces)
    if (((target.value ^ i.address.value) & i.mask.value) == 0) return i.address;
  return std::nullopt;
}

NetResult Socket::ReceiveAll(uint8_t* data, size_t size, Deadline deadline) {
  size_t done = 0;
  while (done < size) {
    size_t got = 0;
    NetResult r = Receive(data + done, size - done, got, deadline);
    if (r != NetResult::Ok) return r;
    done += got;
  }
  return NetResult::Ok;
}

}  // namespace korvel::wire
