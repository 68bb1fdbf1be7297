// The order of addresses inside a group: IPv4 addresses first by number, then every other
// name in the locale's collation order.
//
// Sorting itself stays with the tree control (TreeView_SortChildrenCB): the tree interface has
// no way to move a node, and moving one in a TreeView means re-creating it with its subtree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvel {

// What the IPv4 parser returns for a text that is not an address (and for 255.255.255.255).
constexpr uint32_t kInaddrNone = 0xFFFFFFFF;

// The key that decides whether a node holds an address: the text before its first blank,
// trimmed of characters of code 32 or less; a text without a blank is taken whole, unchanged.
std::string FirstWord(std::string_view text);

// The services the comparison needs. On Windows: ws2_32's inet_addr and CompareStringW with
// the user's default locale and no flags (minus 2). Natively: InetAddr and SimpleCollate.
struct OrderingServices {
  // The IPv4 address in network byte order, or kInaddrNone.
  std::function<uint32_t(const char*)> inetAddr;
  // Negative, 0 or positive, as the first text sorts before, with or after the second.
  std::function<int(std::string_view, std::string_view)> collate;
};

// Negative when the node text `first` goes before `second`, positive when after, 0 when they
// rank equal: two addresses (by their first words) by number, an address before a name, two
// names by collating the whole texts.
int TreeAddressesCompare(std::string_view first, std::string_view second,
                         const OrderingServices& services);

// A portable twin of Winsock's inet_addr: one to four parts separated by dots, each decimal,
// octal (leading 0) or hexadecimal (0x); all parts but the last are bytes, the last fills the
// remaining bytes. The text may end with a blank and anything after it; any other stray
// character, a leading blank or an empty text gives kInaddrNone. Network byte order.
uint32_t InetAddr(const char* text);

// A stand-in for the locale collation, for the native build and its tests, modelled on what
// CompareStringW was measured to do for Latin and Russian letters: letters compare without case
// first, Latin before Cyrillic, "ё" between "е" and "ж", digits by character (so "pc10" before
// "pc9"); at equal letters a lower-case letter goes first ("pc7" before "PC7"); the last resort
// is byte order, so only identical texts rank equal. Windows-1251 text.
int SimpleCollate(std::string_view a, std::string_view b);

// InetAddr and SimpleCollate.
OrderingServices PortableOrdering();

}  // namespace korvel
