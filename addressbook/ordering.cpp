// The comparison behind "Сортировать адреса", and portable stand-ins for the services it uses.
#include "addressbook/ordering.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

namespace korvel {

namespace {

// The value of `c` as a digit of `base`, or -1.
int DigitValue(char c, unsigned base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return d >= 0 && static_cast<unsigned>(d) < base ? d : -1;
}

uint32_t NetworkOrder(uint32_t host) {
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(host >> 24), static_cast<unsigned char>(host >> 16),
      static_cast<unsigned char>(host >> 8), static_cast<unsigned char>(host)};
  uint32_t net;
  std::memcpy(&net, bytes, sizeof net);
  return net;
}

uint32_t HostOrder(uint32_t net) {
  unsigned char b[4];
  std::memcpy(b, &net, sizeof net);
  return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

// Letters without case; Latin before Cyrillic, with ё right after е.
int PrimaryWeight(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0x80) return c;
  if (c == 0xA8 || c == 0xB8) return 0x100 + 6;
  if (c >= 0xC0) {
    int letter = (c - 0xC0) % 32;  // а = 0 ... е = 5, ж = 6 ...
    return 0x100 + letter + (letter > 5 ? 1 : 0);
  }
  return c;
}

bool IsUpper(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF) || c == 0xA8;
}

}  // namespace

std::string FirstWord(std::string_view text) {
  size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return std::string(text);
  return Trim(text.substr(0, blank + 1));
}

int TreeAddressesCompare(std::string_view first, std::string_view second,
                         const OrderingServices& services) {
  uint32_t a = services.inetAddr(FirstWord(first).c_str());
  uint32_t b = services.inetAddr(FirstWord(second).c_str());
  if (a == kInaddrNone && b == kInaddrNone) return services.collate(first, second);
  if (a == kInaddrNone) return 1;
  if (b == kInaddrNone) return -1;
  uint32_t ha = HostOrder(a);
  uint32_t hb = HostOrder(b);
  return ha < hb ? -1 : ha > hb ? 1 : 0;
}

uint32_t InetAddr(const char* text) {
  if (!text) return kInaddrNone;
  uint64_t parts[4];
  int count = 0;
  const char* p = text;
  for (;;) {
    if (count == 4 || *p < '0' || *p > '9') return kInaddrNone;
    unsigned base = 10;
    if (*p == '0') {
      base = 8;
      if (*++p == 'x' || *p == 'X') {
        base = 16;
        if (DigitValue(*++p, base) < 0) return kInaddrNone;
      }
    }
    uint64_t value = 0;
    for (int d; (d = DigitValue(*p, base)) >= 0; ++p) {
      value = value * base + static_cast<unsigned>(d);
      if (value > 0xFFFFFFFF) return kInaddrNone;
    }
    parts[count++] = value;
    if (*p != '.') break;
    ++p;
  }
  if (*p != '\0' && *p != ' ') return kInaddrNone;

  // Every part but the last is one byte; the last fills the bytes that are left.
  uint32_t host = 0;
  for (int i = 0; i < count - 1; ++i) {
    if (parts[i] > 0xFF) return kInaddrNone;
    host |= static_cast<uint32_t>(parts[i]) << (24 - 8 * i);
  }
  uint64_t lastMax = 0xFFFFFFFFull >> (8 * (count - 1));
  if (parts[count - 1] > lastMax) return kInaddrNone;
  host |= static_cast<uint32_t>(parts[count - 1]);
  return NetworkOrder(host);
}

int SimpleCollate(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int wa = PrimaryWeight(static_cast<unsigned char>(a[i]));
    int wb = PrimaryWeight(static_cast<unsigned char>(b[i]));
    if (wa != wb) return wa < wb ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  // Same letters: the first difference in case decides, lower case first. Weight and case
  // together name the byte, so texts that get past this are identical.
  for (size_t i = 0; i < n; ++i) {
    bool ua = IsUpper(static_cast<unsigned char>(a[i]));
    bool ub = IsUpper(static_cast<unsigned char>(b[i]));
    if (ua != ub) return ua ? 1 : -1;
  }
  return 0;
}

OrderingServices PortableOrdering() { return {InetAddr, SimpleCollate}; }

}  // namespace korvel
