#include "tests/core/wire_fakes.h"

#include <cstdio>

namespace korvel::wire::fake {

using namespace std::chrono_literals;

namespace {

constexpr auto kPoll = 20ms;

std::string DecodeAt(const Bytes& b, size_t at) {
  if (b.size() < at + 34 || b[at] != 0x20) return "?";
  uint8_t raw[16];
  for (size_t i = 0; i < 16; ++i)
    raw[i] = static_cast<uint8_t>((b[at + 1 + 2 * i] - 'A') << 4 | (b[at + 2 + 2 * i] - 'A'));
  return ShowName(raw);
}

void PutBe16(Bytes& b, size_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v & 0xFF));
}

// Header of an answer to `question`, then its name again, as responders write it.
Bytes AnswerHeader(const Bytes& question, uint16_t type) {
  Bytes b(question.begin(), question.begin() + 12 + 34);
  b[2] = 0x85;  // an authoritative answer
  b[3] = 0x00;
  b[5] = 0;  // no questions, one answer
  b[7] = 1;
  PutBe16(b, type);
  PutBe16(b, 1);
  b.insert(b.end(), {0, 0, 0, 0});  // TTL
  return b;
}

}  // namespace

std::string ShowName(const uint8_t* raw) {
  std::string name;
  for (size_t i = 0; i < 15; ++i) name += static_cast<char>(raw[i]);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
  char suffix[8];
  std::snprintf(suffix, sizeof suffix, "<%02X>", raw[15]);
  return name + suffix;
}

uint16_t ClosedPort() {
  Socket s = Socket::Tcp();
  s.Bind(kLoopback, 0);
  return s.LocalPort();
}

PeerConnection::PeerConnection(Socket socket, const std::atomic<bool>& stop)
    : socket_(std::move(socket)), stop_(stop) {}

Bytes PeerConnection::Read() {
  Bytes packet;
  size_t want = 4;
  const Deadline giveUp = Clock::now() + 10s;
  while (packet.size() < want && !stop_ && Clock::now() < giveUp) {
    uint8_t buffer[4096];
    size_t got = 0;
    NetResult r = socket_.Receive(buffer, std::min(sizeof buffer, want - packet.size()), got,
                                  Clock::now() + kPoll);
    if (r == NetResult::TimedOut) continue;
    if (r != NetResult::Ok) return {};
    packet.insert(packet.end(), buffer, buffer + got);
    if (want == 4 && packet.size() == 4)
      want = 4 + ((packet[1] & 1u) << 16 | static_cast<size_t>(packet[2]) << 8 | packet[3]);
  }
  if (packet.size() < want) return {};
  packets_.push_back(packet);
  return packet;
}

void PeerConnection::Write(const Bytes& bytes) {
  socket_.SendAll(bytes.data(), bytes.size(), Clock::now() + 2s);
}

void PeerConnection::WriteSlowly(const Bytes& bytes, std::chrono::milliseconds gap) {
  for (uint8_t b : bytes) {
    if (stop_ || socket_.SendAll(&b, 1, Clock::now() + 2s) != NetResult::Ok) return;
    std::this_thread::sleep_for(gap);
  }
}

void PeerConnection::Idle() {
  while (!stop_) {
    uint8_t b[256];
    size_t got = 0;
    NetResult r = socket_.Receive(b, sizeof b, got, Clock::now() + kPoll);
    if (r != NetResult::Ok && r != NetResult::TimedOut) return;
  }
}

FakeSessionPeer::FakeSessionPeer(Script script)
    : script_(std::move(script)), listener_(Socket::Tcp()) {
  listener_.Bind(kLoopback, 0);
  listener_.Listen(64);
  port_ = listener_.LocalPort();
  acceptor_ = std::thread([this] {
    while (!stop_) {
      Socket s = listener_.Accept(Clock::now() + kPoll);
      if (!s.Valid()) continue;
      ++connections_;
      threads_.emplace_back([this, s = std::move(s)]() mutable {
        PeerConnection c(std::move(s), stop_);
        script_(c);
        std::lock_guard<std::mutex> lock(mutex_);
        received_.push_back(c.Packets());
        ended_.notify_all();
      });
    }
  });
}

FakeSessionPeer::~FakeSessionPeer() {
  stop_ = true;
  acceptor_.join();
  for (auto& t : threads_) t.join();
}

std::vector<std::vector<Bytes>> FakeSessionPeer::Received() const {
  std::unique_lock<std::mutex> lock(mutex_);
  ended_.wait_for(lock, 5s, [&] { return received_.size() >= static_cast<size_t>(connections_); });
  return received_;
}

FakeNameService::FakeNameService(Answer answer)
    : answer_(std::move(answer)), socket_(Socket::Udp()) {
  socket_.Bind(kLoopback, 0);
  port_ = socket_.LocalPort();
  thread_ = std::thread([this] {
    while (!stop_) {
      uint8_t buffer[1500];
      size_t got = 0;
      Ipv4 from;
      uint16_t fromPort = 0;
      if (socket_.ReceiveFrom(buffer, sizeof buffer, got, from, fromPort, Clock::now() + kPoll) !=
          NetResult::Ok)
        continue;
      ++questions_;
      if (auto reply = answer_(Bytes(buffer, buffer + got)))
        socket_.SendTo(from, fromPort, reply->data(), reply->size());
    }
  });
}

FakeNameService::~FakeNameService() {
  stop_ = true;
  thread_.join();
}

void ServeMessenger(PeerConnection& c, const ReplyFor& reply) {
  if (c.Read().empty()) return;
  c.Write({0x82, 0, 0, 0});
  for (int index = 0;; ++index) {
    Bytes request = c.Read();
    if (request.empty()) return;
    uint8_t command = CommandOf(request);
    c.Write(reply ? reply(command, index) : SmbReply(command));
    if (command == 0xD6) break;
  }
  c.Idle();
}

Bytes SmbReply(uint8_t command, bool ntStatus, uint32_t status, std::vector<uint16_t> words) {
  Bytes b = {0, 0, 0, 0, 0xFF, 'S', 'M', 'B', command};
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(status >> (8 * i)));
  b.push_back(0x80);  // a reply
  b.push_back(0x03);  // flags2, as Samba sets it
  b.push_back(ntStatus ? 0x40 : 0x00);
  b.resize(4 + 32, 0);
  b.push_back(static_cast<uint8_t>(words.size()));
  for (uint16_t w : words) {
    b.push_back(static_cast<uint8_t>(w & 0xFF));
    b.push_back(static_cast<uint8_t>(w >> 8));
  }
  b.push_back(0);
  b.push_back(0);
  b[3] = static_cast<uint8_t>(b.size() - 4);
  return b;
}

Bytes DosError(uint8_t command, uint8_t errorClass, uint16_t code) {
  return SmbReply(command, false, errorClass | static_cast<uint32_t>(code) << 16);
}

uint8_t CommandOf(const Bytes& p) { return p.size() > 8 ? p[8] : 0; }
std::string CalledNameOf(const Bytes& p) { return DecodeAt(p, 4); }
std::string CallingNameOf(const Bytes& p) { return DecodeAt(p, 38); }

std::pair<std::string, std::string> StartNamesOf(const Bytes& p) {
  // header 4 + 32, WordCount 0, ByteCount 2, then 04 name 00 04 name 00
  size_t at = 4 + 32 + 1 + 2;
  std::string names[2];
  for (auto& n : names) {
    if (at >= p.size() || p[at] != 0x04) return {"?", "?"};
    ++at;
    while (at < p.size() && p[at] != 0) n += static_cast<char>(p[at++]);
    ++at;
  }
  return {names[0], names[1]};
}

std::string BlockOf(const Bytes& p) {
  // header 4 + 32, WordCount 1, group, ByteCount, 01, length, bytes
  size_t at = 4 + 32 + 1 + 2 + 2;
  if (p.size() < at + 3 || p[at] != 0x01) return "?";
  size_t len = p[at + 1] | p[at + 2] << 8;
  if (p.size() < at + 3 + len) return "?";
  return std::string(p.begin() + static_cast<long>(at) + 3,
                     p.begin() + static_cast<long>(at + 3 + len));
}

uint16_t GroupOf(const Bytes& p) {
  return p.size() > 38 ? static_cast<uint16_t>(p[37] | p[38] << 8) : 0xFFFF;
}

std::string QuestionNameOf(const Bytes& q) { return DecodeAt(q, 12); }
uint16_t QuestionTypeOf(const Bytes& q) {
  return q.size() >= 12 + 34 + 2 ? static_cast<uint16_t>(q[46] << 8 | q[47]) : 0;
}

Bytes NameQueryAnswerFor(const Bytes& question, Ipv4 address) {
  Bytes b = AnswerHeader(question, 0x0020);
  PutBe16(b, 6);
  PutBe16(b, 0);  // NB flags: unique, B node
  PutBe16(b, address.value >> 16);
  PutBe16(b, address.value & 0xFFFF);
  return b;
}

Bytes NodeStatusAnswerFor(const Bytes& question, const std::vector<std::string>& names) {
  Bytes b = AnswerHeader(question, 0x0021);
  PutBe16(b, 1 + 18 * names.size() + 46);
  b.push_back(static_cast<uint8_t>(names.size()));
  for (const std::string& entry : names) {
    // "NAME<xx>" with an optional "G" after it
    size_t lt = entry.find('<');
    std::string name = entry.substr(0, lt);
    name.resize(15, ' ');
    b.insert(b.end(), name.begin(), name.end());
    b.push_back(static_cast<uint8_t>(std::stoi(entry.substr(lt + 1, 2), nullptr, 16)));
    const std::string marks = entry.substr(entry.find('>') + 1);
    uint8_t flags = 0x04;  // active
    if (marks.find('G') != std::string::npos) flags |= 0x80;
    if (marks.find('D') != std::string::npos) flags |= 0x10;
    if (marks.find('C') != std::string::npos) flags |= 0x08;
    b.push_back(flags);
    b.push_back(0);
  }
  b.resize(b.size() + 46, 0);  // unit id and statistics
  return b;
}

}  // namespace korvel::wire::fake
