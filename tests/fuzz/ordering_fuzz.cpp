// The IPv4 parser against the C library's inet_aton, which reads the same forms (it also ends
// an address at any white space, where Winsock takes only a blank), and the comparison's
// symmetry: the input split in two is compared both ways.
#include <arpa/inet.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "addressbook/ordering.h"

using namespace korvel;

namespace {
int Sign(int v) { return (v > 0) - (v < 0); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find_first_of("\t\n\v\f\r") == std::string::npos) {
    in_addr addr;
    uint32_t expected = inet_aton(text.c_str(), &addr) ? addr.s_addr : kInaddrNone;
    if (InetAddr(text.c_str()) != expected) std::abort();
  }

  static const OrderingServices services = PortableOrdering();
  std::string first = text.substr(0, size / 2);
  std::string second = text.substr(size / 2);
  if (Sign(TreeAddressesCompare(first, second, services)) !=
      -Sign(TreeAddressesCompare(second, first, services)))
    std::abort();
  if (TreeAddressesCompare(first, first, services) != 0) std::abort();
  return 0;
}
