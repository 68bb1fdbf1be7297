// NetBIOS over TCP/IP (RFC 1001/1002) as the messenger client needs it: names, the session
// service's framing (TCP 139), name queries and node status (UDP 137), and the datagram that
// carries a mailslot message (UDP 138). Builders and parsers only; no sockets here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sending/socket.h"

namespace korvel::wire {

constexpr size_t kNetbiosNameLength = 15;
constexpr uint8_t kWorkstationSuffix = 0x00;
constexpr uint8_t kMessengerSuffix = 0x03;
constexpr uint8_t kServerSuffix = 0x20;

// A name as the protocol holds it: 15 bytes, padded, then the suffix byte.
struct NetbiosName {
  std::array<uint8_t, 16> bytes{};
  friend bool operator==(const NetbiosName&, const NetbiosName&) = default;
  uint8_t Suffix() const { return bytes[15]; }
  // The 15 name bytes without the padding (blanks or NULs) at the end.
  std::string Name() const;
};

// `name` padded to 15 bytes with `pad`; a longer name is cut (callers check the length first).
NetbiosName MakeNetbiosName(std::string_view name, uint8_t suffix, uint8_t pad = ' ');
// "*SMBSERVER" <20>, the name every server answers to.
NetbiosName AnyServerName();

// First-level encoding with the empty scope: 0x20, 32 letters 'A'..'P', 0x00.
constexpr size_t kEncodedNameSize = 34;
void AppendEncodedName(std::vector<uint8_t>& out, const NetbiosName& name);
// Reads an encoded name (any scope after it is not looked at); nullopt when it is not one.
std::optional<NetbiosName> DecodeName(const uint8_t* data, size_t size);

// Session service. Every packet starts with a 4-byte header: type, flags (bit 0 extends the
// length to 17 bits), big-endian length.
enum SessionPacketType : uint8_t {
  kSessionMessage = 0x00,
  kSessionRequest = 0x81,
  kPositiveSessionResponse = 0x82,
  kNegativeSessionResponse = 0x83,
  kRetargetSessionResponse = 0x84,
  kSessionKeepAlive = 0x85,
};
constexpr size_t kSessionHeaderSize = 4;
constexpr uint32_t kMaxSessionLength = 0x1FFFF;

struct SessionHeader {
  uint8_t type = 0;
  uint32_t length = 0;
};
// nullopt when flag bits other than the length extension are set.
std::optional<SessionHeader> ParseSessionHeader(const uint8_t* header);
void AppendSessionHeader(std::vector<uint8_t>& out, uint8_t type, uint32_t length);
std::vector<uint8_t> BuildSessionRequest(const NetbiosName& called, const NetbiosName& calling);

struct SessionAnswer {
  enum class Kind { Positive, Negative, Retarget, Invalid };
  Kind kind = Kind::Invalid;
  uint8_t error = 0;  // of a negative answer: 0x80..0x83, 0x8F
  Ipv4 address;       // of a retarget answer
  uint16_t port = 0;
};
SessionAnswer ParseSessionAnswer(uint8_t type, const uint8_t* payload, size_t size);

// Name service.
std::vector<uint8_t> BuildNameQuery(uint16_t id, const NetbiosName& name, bool broadcast);
// Asks a node for the names it holds ("*" padded with NULs, type NBSTAT).
std::vector<uint8_t> BuildNodeStatusQuery(uint16_t id);

struct NameQueryAnswer {
  enum class Kind { NotAnAnswer, Negative, Positive };
  Kind kind = Kind::NotAnAnswer;
  std::vector<Ipv4> addresses;
};
// NotAnAnswer for anything that is not a well-formed answer to query `id` for `name`.
NameQueryAnswer ParseNameQueryAnswer(const uint8_t* data, size_t size, uint16_t id,
                                     const NetbiosName& name);

struct NodeStatusEntry {
  NetbiosName name;
  bool group = false;
  // The name's flags: in conflict with another node's, or being given up. Such a name is not
  // called.
  bool conflict = false;
  bool deregistering = false;
};
// nullopt for anything that is not a well-formed positive answer to node status query `id`.
std::optional<std::vector<NodeStatusEntry>> ParseNodeStatusAnswer(const uint8_t* data, size_t size,
                                                                  uint16_t id);

// Datagram service: a message to the messenger mailslot \MAILSLOT\MESSNGR.
enum DatagramType : uint8_t {
  kDirectUniqueDatagram = 0x10,
  kDirectGroupDatagram = 0x11,
  kBroadcastDatagram = 0x12,
};

struct MessengerDatagram {
  uint8_t type = kDirectGroupDatagram;
  uint16_t id = 0;
  Ipv4 source;
  uint16_t sourcePort = 138;
  NetbiosName sourceName;
  NetbiosName destinationName;
  std::string originator;  // in 866, as are the other two
  std::string recipient;
  std::string text;
};
std::vector<uint8_t> BuildMessengerDatagram(const MessengerDatagram& datagram);

// A mailslot message between computers holds at most 424 bytes: originator, recipient and text,
// each with its terminating NUL.
constexpr size_t kMaxMailslotData = 424;

}  // namespace korvel::wire
