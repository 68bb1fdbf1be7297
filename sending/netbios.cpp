// NetBIOS names and the packets of the session, name and datagram services.
#include "sending/netbios.h"

#include "sending/smb_message.h"

namespace korvel::wire {

namespace {

constexpr uint16_t kTypeNb = 0x0020;
constexpr uint16_t kTypeNbstat = 0x0021;
constexpr uint16_t kClassIn = 0x0001;
constexpr size_t kNameServiceHeaderSize = 12;

void AppendBe16(std::vector<uint8_t>& out, size_t value) {
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
  out.push_back(static_cast<uint8_t>(value & 0xFF));
}

void AppendBe32(std::vector<uint8_t>& out, uint32_t value) {
  AppendBe16(out, value >> 16);
  AppendBe16(out, value & 0xFFFF);
}

uint16_t ReadBe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

uint32_t ReadBe32(const uint8_t* p) {
  return static_cast<uint32_t>(ReadBe16(p)) << 16 | ReadBe16(p + 2);
}

uint8_t UpperAscii(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c; }

bool SameName(const NetbiosName& a, const NetbiosName& b) {
  for (size_t i = 0; i < a.bytes.size(); ++i)
    if (UpperAscii(a.bytes[i]) != UpperAscii(b.bytes[i])) return false;
  return true;
}

// Steps over a domain name at `pos`: labels up to the empty one, or a compression pointer.
// Returns the position after it, or nullopt when it runs off the packet.
std::optional<size_t> SkipName(const uint8_t* data, size_t size, size_t pos) {
  for (int labels = 0; labels < 64; ++labels) {
    if (pos >= size) return std::nullopt;
    uint8_t len = data[pos];
    if ((len & 0xC0) == 0xC0)
      return pos + 2 <= size ? std::optional<size_t>(pos + 2) : std::nullopt;
    if (len & 0xC0) return std::nullopt;
    pos += 1u + len;
    if (len == 0) return pos <= size ? std::optional<size_t>(pos) : std::nullopt;
  }
  return std::nullopt;
}

// The NetBIOS name at `pos`, following one compression pointer.
std::optional<NetbiosName> NameAt(const uint8_t* data, size_t size, size_t pos) {
  if (pos + 2 <= size && (data[pos] & 0xC0) == 0xC0) {
    size_t target = static_cast<size_t>((data[pos] & 0x3F) << 8 | data[pos + 1]);
    if (target >= size || (data[target] & 0xC0)) return std::nullopt;
    pos = target;
  }
  return pos < size ? DecodeName(data + pos, size - pos) : std::nullopt;
}

// The answer record of a name service response: after the header and any questions. Checks
// that the packet is a response to query `id` with one answer of type `type`, and returns the
// position of the record's name and of its data, and the data's length.
struct AnswerRecord {
  size_t namePos = 0;
  size_t dataPos = 0;
  size_t dataLength = 0;
  uint8_t rcode = 0;
};

std::optional<AnswerRecord> FindAnswer(const uint8_t* data, size_t size, uint16_t id,
                                       uint16_t type) {
  if (size < kNameServiceHeaderSize || ReadBe16(data) != id) return std::nullopt;
  const uint16_t flags = ReadBe16(data + 2);
  if (!(flags & 0x8000) || ((flags >> 11) & 0xF) != 0) return std::nullopt;  // response, query
  const uint16_t questions = ReadBe16(data + 4);
  if (ReadBe16(data + 6) < 1) return std::nullopt;
  size_t pos = kNameServiceHeaderSize;
  for (uint16_t q = 0; q < questions; ++q) {
    auto next = SkipName(data, size, pos);
    if (!next || *next + 4 > size) return std::nullopt;
    pos = *next + 4;
  }
  AnswerRecord record;
  record.namePos = pos;
  auto next = SkipName(data, size, pos);
  if (!next || *next + 10 > size) return std::nullopt;
  pos = *next;
  if (ReadBe16(data + pos) != type || ReadBe16(data + pos + 2) != kClassIn) return std::nullopt;
  record.dataLength = ReadBe16(data + pos + 8);
  record.dataPos = pos + 10;
  if (record.dataPos + record.dataLength > size) return std::nullopt;
  record.rcode = static_cast<uint8_t>(flags & 0xF);
  return record;
}

void AppendQuestion(std::vector<uint8_t>& out, uint16_t id, uint16_t flags, const NetbiosName& name,
                    uint16_t type) {
  AppendBe16(out, id);
  AppendBe16(out, flags);
  AppendBe16(out, 1);  // one question
  AppendBe16(out, 0);
  AppendBe16(out, 0);
  AppendBe16(out, 0);
  AppendEncodedName(out, name);
  AppendBe16(out, type);
  AppendBe16(out, kClassIn);
}

}  // namespace

std::string NetbiosName::Name() const {
  size_t end = kNetbiosNameLength;
  while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == 0)) --end;
  return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

NetbiosName MakeNetbiosName(std::string_view name, uint8_t suffix, uint8_t pad) {
  NetbiosName n;
  for (size_t i = 0; i < kNetbiosNameLength; ++i)
    n.bytes[i] = i < name.size() ? static_cast<uint8_t>(name[i]) : pad;
  n.bytes[15] = suffix;
  return n;
}

NetbiosName AnyServerName() { return MakeNetbiosName("*SMBSERVER", kServerSuffix); }

void AppendEncodedName(std::vector<uint8_t>& out, const NetbiosName& name) {
  out.push_back(0x20);
  for (uint8_t b : name.bytes) {
    out.push_back(static_cast<uint8_t>('A' + (b >> 4)));
    out.push_back(static_cast<uint8_t>('A' + (b & 0x0F)));
  }
  out.push_back(0x00);
}

std::optional<NetbiosName> DecodeName(const uint8_t* data, size_t size) {
  if (size < kEncodedNameSize || data[0] != 0x20) return std::nullopt;
  NetbiosName name;
  for (size_t i = 0; i < 16; ++i) {
    uint8_t hi = data[1 + 2 * i], lo = data[2 + 2 * i];
    if (hi < 'A' || hi > 'P' || lo < 'A' || lo > 'P') return std::nullopt;
    name.bytes[i] = static_cast<uint8_t>((hi - 'A') << 4 | (lo - 'A'));
  }
  return name;
}

std::optional<SessionHeader> ParseSessionHeader(const uint8_t* header) {
  if (header[1] & 0xFE) return std::nullopt;
  return SessionHeader{header[0],
                       static_cast<uint32_t>((header[1] & 1) << 16 | header[2] << 8 | header[3])};
}

void AppendSessionHeader(std::vector<uint8_t>& out, uint8_t type, uint32_t length) {
  out.push_back(type);
  out.push_back(static_cast<uint8_t>((length >> 16) & 1));
  AppendBe16(out, length & 0xFFFF);
}

std::vector<uint8_t> BuildSessionRequest(const NetbiosName& called, const NetbiosName& calling) {
  std::vector<uint8_t> out;
  AppendSessionHeader(out, kSessionRequest, 2 * kEncodedNameSize);
  AppendEncodedName(out, called);
  AppendEncodedName(out, calling);
  return out;
}

SessionAnswer ParseSessionAnswer(uint8_t type, const uint8_t* payload, size_t size) {
  SessionAnswer answer;
  switch (type) {
    case kPositiveSessionResponse:
      if (size == 0) answer.kind = SessionAnswer::Kind::Positive;
      break;
    case kNegativeSessionResponse:
      if (size == 1) {
        answer.kind = SessionAnswer::Kind::Negative;
        answer.error = payload[0];
      }
      break;
    case kRetargetSessionResponse:
      if (size == 6) {
        answer.kind = SessionAnswer::Kind::Retarget;
        answer.address = Ipv4{ReadBe32(payload)};
        answer.port = ReadBe16(payload + 4);
      }
      break;
  }
  return answer;
}

std::vector<uint8_t> BuildNameQuery(uint16_t id, const NetbiosName& name, bool broadcast) {
  std::vector<uint8_t> out;
  // Recursion desired; the broadcast bit when asking the whole subnet.
  AppendQuestion(out, id, broadcast ? 0x0110 : 0x0100, name, kTypeNb);
  return out;
}

std::vector<uint8_t> BuildNodeStatusQuery(uint16_t id) {
  std::vector<uint8_t> out;
  AppendQuestion(out, id, 0x0000, MakeNetbiosName("*", 0x00, 0x00), kTypeNbstat);
  return out;
}

NameQueryAnswer ParseNameQueryAnswer(const uint8_t* data, size_t size, uint16_t id,
                                     const NetbiosName& name) {
  NameQueryAnswer answer;
  auto record = FindAnswer(data, size, id, kTypeNb);
  if (!record) return answer;
  auto answered = NameAt(data, size, record->namePos);
  if (!answered || !SameName(*answered, name)) return answer;
  if (record->rcode != 0) {
    answer.kind = NameQueryAnswer::Kind::Negative;
    return answer;
  }
  if (record->dataLength == 0 || record->dataLength % 6 != 0) return answer;
  for (size_t at = record->dataPos; at < record->dataPos + record->dataLength; at += 6)
    answer.addresses.push_back(Ipv4{ReadBe32(data + at + 2)});
  answer.kind = NameQueryAnswer::Kind::Positive;
  return answer;
}

std::optional<std::vector<NodeStatusEntry>> ParseNodeStatusAnswer(const uint8_t* data, size_t size,
                                                                  uint16_t id) {
  auto record = FindAnswer(data, size, id, kTypeNbstat);
  if (!record || record->rcode != 0 || record->dataLength < 1) return std::nullopt;
  const size_t count = data[record->dataPos];
  if (1 + 18 * count > record->dataLength) return std::nullopt;
  std::vector<NodeStatusEntry> names;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = data + record->dataPos + 1 + 18 * i;
    NodeStatusEntry e;
    std::copy(entry, entry + 16, e.name.bytes.begin());
    e.group = (entry[16] & 0x80) != 0;
    e.deregistering = (entry[16] & 0x10) != 0;
    e.conflict = (entry[16] & 0x08) != 0;
    names.push_back(e);
  }
  return names;
}

std::vector<uint8_t> BuildMessengerDatagram(const MessengerDatagram& d) {
  std::string data;
  data.reserve(d.originator.size() + d.recipient.size() + d.text.size() + 3);
  for (const std::string* part : {&d.originator, &d.recipient, &d.text}) {
    data += *part;
    data += '\0';
  }
  std::vector<uint8_t> smb;
  AppendMailslotWrite(smb, "\\MAILSLOT\\MESSNGR", data);

  std::vector<uint8_t> out;
  out.push_back(d.type);
  out.push_back(0x02);  // first and only fragment, sent by a broadcast node
  AppendBe16(out, d.id);
  AppendBe32(out, d.source.value);
  AppendBe16(out, d.sourcePort);
  AppendBe16(out, 2 * kEncodedNameSize + smb.size());
  AppendBe16(out, 0);  // packet offset
  AppendEncodedName(out, d.sourceName);
  AppendEncodedName(out, d.destinationName);
  out.insert(out.end(), smb.begin(), smb.end());
  return out;
}

}  // namespace korvel::wire
