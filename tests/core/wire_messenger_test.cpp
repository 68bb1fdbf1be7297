// The messenger client against peers of our own on loopback: what it sends, byte for byte, and
// one failure, quickly, for every way a receiver can go wrong.
#include <gtest/gtest.h>

#include <thread>

#include "sending/oem866.h"
#include "sending/wire_messenger.h"
#include "tests/core/wire_fakes.h"

using namespace korvel;
using namespace korvel::wire;
using namespace korvel::wire::fake;
using namespace std::chrono_literals;

namespace {

// Nothing leaves loopback: name queries and datagrams go to 127.0.0.1, to ports of the test's
// choosing, and the resolver knows only "peer".
WireConfig TestConfig(uint16_t sessionPort) {
  WireConfig c;
  c.computerName = u"KorvelTest";
  c.timeouts = {300ms, 300ms, 3s};
  c.nameQueryInterval = 60ms;
  c.nameQueryAttempts = 2;
  c.sessionPort = sessionPort;
  c.nameServicePort = ClosedPort();
  c.datagramPort = ClosedPort();
  c.broadcastAddresses = {kLoopback};
  c.resolve = [](std::u16string_view name) -> std::optional<Ipv4> {
    if (name == u"peer") return kLoopback;
    return std::nullopt;
  };
  return c;
}

// The worker's buffer: UTF-16LE, a terminating zero, length 2 × L + 1.
struct Message {
  explicit Message(std::u16string_view text) {
    for (char16_t c : text) {
      bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    length = static_cast<uint32_t>(2 * text.size() + 1);
  }
  Bytes bytes;
  uint32_t length;
};

NetStatus Send(Messenger& m, const char16_t* to, const char16_t* from, std::u16string_view text) {
  Message msg(text);
  return m.MessageBufferSend(to, from, msg.bytes.data(), msg.length);
}

std::string Oem(std::u16string_view s) { return Oem866FromUtf16(s); }

// The requests of one connection after its session request.
std::vector<uint8_t> Commands(const std::vector<Bytes>& packets) {
  std::vector<uint8_t> commands;
  for (size_t i = 1; i < packets.size(); ++i) commands.push_back(CommandOf(packets[i]));
  return commands;
}

}  // namespace

TEST(WireDelivery, SendsConvertedTextInBlocksUnderTheGroupTheReceiverGave) {
  FakeSessionPeer peer([](PeerConnection& c) {
    ServeMessenger(c, [](uint8_t command, int) {
      return command == 0xD5 ? SmbReply(command, true, 0, {0x1234}) : SmbReply(command);
    });
  });
  WireMessenger m(TestConfig(peer.Port()));
  std::u16string text;
  for (int i = 0; i < 30; ++i) text += u"Съешь ещё…\r\n";  // "…" becomes three bytes
  ASSERT_EQ(Send(m, u"peer", u"Иван Петров", text), kNerrSuccess);

  auto received = peer.Received();
  ASSERT_EQ(received.size(), 1u);
  const auto& p = received[0];
  EXPECT_EQ(CalledNameOf(p[0]), "PEER<03>");
  EXPECT_EQ(CallingNameOf(p[0]), "KORVELTEST<00>");
  EXPECT_EQ(StartNamesOf(p[1]), std::make_pair(Oem(u"Иван Петров"), std::string("PEER")));
  std::string joined;
  for (size_t i = 2; i + 1 < p.size(); ++i) {
    ASSERT_EQ(CommandOf(p[i]), 0xD7);
    EXPECT_EQ(GroupOf(p[i]), 0x1234);
    std::string block = BlockOf(p[i]);
    EXPECT_EQ(block.size(), std::min<size_t>(128, Oem(text).size() - joined.size()));
    joined += block;
  }
  EXPECT_EQ(joined, Oem(text));
  EXPECT_EQ(joined.substr(0, 16), "\x91\xEA\xA5\xE8\xEC \xA5\xE9\xF1...\r\n\x91\xEA");
  EXPECT_EQ(CommandOf(p.back()), 0xD6);
  EXPECT_EQ(GroupOf(p.back()), 0x1234);
}

TEST(WireDelivery, EmptyMessageIsStartAndEndUnderThisComputersName) {
  FakeSessionPeer peer([](PeerConnection& c) { ServeMessenger(c); });
  WireMessenger m(TestConfig(peer.Port()));
  ASSERT_EQ(Send(m, u"peer", nullptr, u""), kNerrSuccess);
  ASSERT_EQ(Send(m, u"peer", u"", u""), kNerrSuccess);
  // A length that counts the terminator as well is still the empty message.
  const uint8_t terminator[] = {0, 0};
  ASSERT_EQ(m.MessageBufferSend(u"peer", nullptr, terminator, 2), kNerrSuccess);
  // A sender name longer than the field is cut to its 15 bytes.
  ASSERT_EQ(Send(m, u"peer", u"Администратор сети", u""), kNerrSuccess);
  auto received = peer.Received();
  ASSERT_EQ(received.size(), 4u);
  for (const auto& p : received) EXPECT_EQ(Commands(p), (std::vector<uint8_t>{0xD5, 0xD6}));
  std::vector<std::string> senders;
  for (const auto& p : received) senders.push_back(StartNamesOf(p[1]).first);
  std::sort(senders.begin(), senders.end());
  EXPECT_EQ(senders, (std::vector<std::string>{"KORVELTEST", "KORVELTEST", "KORVELTEST",
                                               Oem(u"Администратор с")}));
}

TEST(WireDelivery, TextIsCountedAfterConversionAndTooLongIsRefusedBeforeConnecting) {
  FakeSessionPeer peer([](PeerConnection& c) { ServeMessenger(c); });
  WireConfig config = TestConfig(peer.Port());
  config.maxTextBytes = 300;
  WireMessenger m(config);
  EXPECT_EQ(Send(m, u"peer", u"s", std::u16string(101, u'…')), kStatusTextTooLong);
  EXPECT_EQ(Send(m, u"peer", u"s", std::u16string(301, u'я')), kStatusTextTooLong);
  EXPECT_EQ(peer.Connections(), 0);
  EXPECT_EQ(Send(m, u"peer", u"s", std::u16string(100, u'—') + std::u16string(200, u'я')),
            kNerrSuccess);
}

TEST(WireDelivery, ArgumentsThatAreNoMessageAreRefused) {
  WireMessenger m(TestConfig(ClosedPort()));
  Message msg(u"x");
  EXPECT_EQ(m.MessageBufferSend(nullptr, nullptr, msg.bytes.data(), msg.length),
            kStatusInvalidParameter);
  EXPECT_EQ(m.MessageBufferSend(u"peer", nullptr, nullptr, 3), kStatusInvalidParameter);
  std::u16string unterminated(300, u'a');
  const char16_t* name = unterminated.data();  // the string's own terminator is past the scan
  EXPECT_EQ(m.MessageBufferSend(name, nullptr, msg.bytes.data(), msg.length),
            kStatusInvalidParameter);
  EXPECT_EQ(m.MessageNameAdd(nullptr), kStatusInvalidParameter);
}

TEST(WireDelivery, RefusedCalledNameIsRetriedAsAnyServerAndRememberedForTheAddress) {
  FakeSessionPeer peer([](PeerConnection& c) {
    Bytes request = c.Read();
    if (CalledNameOf(request) != "*SMBSERVER<20>") {
      c.Write({0x83, 0, 0, 1, 0x82});
      return;
    }
    c.Write({0x82, 0, 0, 0});
    for (;;) {
      Bytes r = c.Read();
      if (r.empty()) return;
      c.Write(SmbReply(CommandOf(r)));
    }
  });
  WireMessenger m(TestConfig(peer.Port()));
  ASSERT_EQ(Send(m, u"peer", u"s", u"one"), kNerrSuccess);
  EXPECT_EQ(peer.Connections(), 2);
  ASSERT_EQ(Send(m, u"peer", u"s", u"two"), kNerrSuccess);
  EXPECT_EQ(peer.Connections(), 3);
}

TEST(WireDelivery, RetargetIsFollowed) {
  FakeSessionPeer target([](PeerConnection& c) { ServeMessenger(c); });
  FakeSessionPeer first([&](PeerConnection& c) {
    c.Read();
    uint16_t port = target.Port();
    c.Write({0x84, 0, 0, 6, 127, 0, 0, 1, static_cast<uint8_t>(port >> 8),
             static_cast<uint8_t>(port & 0xFF)});
  });
  WireMessenger m(TestConfig(first.Port()));
  ASSERT_EQ(Send(m, u"peer", u"s", u"hello"), kNerrSuccess);
  ASSERT_EQ(target.Received().size(), 1u);
  EXPECT_EQ(BlockOf(target.Received()[0][2]), "hello");
}

// Every way a receiver can go wrong ends in one failure, well within the timeouts.
TEST(WireDelivery, EachFaultyPeerGivesOneFailureAndNothingHangs) {
  struct Case {
    const char* what;
    FakeSessionPeer::Script script;
    NetStatus expected;
  };
  auto afterSession = [](std::function<void(PeerConnection&)> then) {
    return [then](PeerConnection& c) {
      c.Read();
      c.Write({0x82, 0, 0, 0});
      then(c);
    };
  };
  auto answerStartWith = [&](Bytes reply) {
    return afterSession([reply](PeerConnection& c) {
      c.Read();
      c.Write(reply);
      c.Idle();
    });
  };
  Bytes garbage = {0x00, 0x00, 0x00, 0x10, 'G', 'E', 'T', ' ', '/',  ' ',
                   'H',  'T',  'T',  'P',  '/', '1', '.', '0', '\r', '\n'};
  Bytes truncated = SmbReply(0xD5);
  truncated.resize(14);
  Bytes wrongCommand = SmbReply(0xD6);
  Bytes notAReply = SmbReply(0xD5);
  notAReply[4 + 9] = 0x00;
  Bytes countsPastTheEnd = SmbReply(0xD5);
  countsPastTheEnd[4 + 33] = 0x10;

  std::vector<Case> cases = {
      {"accepts and never answers", [](PeerConnection& c) { c.Idle(); }, kStatusTimeout},
      {"closes at once", [](PeerConnection&) {}, kStatusNetworkError},
      {"called name not present",
       [](PeerConnection& c) {
         c.Read();
         c.Write({0x83, 0, 0, 1, 0x82});
       },
       kStatusNameNotFound},
      {"session answer of another kind",
       [](PeerConnection& c) {
         c.Read();
         c.Write({0x82, 0, 0, 2, 1, 2});
       },
       kStatusNetworkError},
      {"answers the session, then nothing", afterSession([](PeerConnection& c) { c.Idle(); }),
       kStatusTimeout},
      {"messages off", answerStartWith(DosError(0xD5, 0x01, 0x0047)), kStatusRequestNotAccepted},
      {"NT status refusal", answerStartWith(SmbReply(0xD5, true, 0xC00000D0)),
       kStatusRequestNotAccepted},
      {"server error class", answerStartWith(DosError(0xD5, 0x02, 0x0001)), kStatusBadNetResponse},
      {"garbage", answerStartWith(garbage), kStatusNetworkError},
      {"truncated reply, then close", afterSession([truncated](PeerConnection& c) {
         c.Read();
         Bytes cut = truncated;
         cut[3] = 35;
         c.Write(cut);
       }),
       kStatusNetworkError},
      {"reply shorter than its header", answerStartWith([&] {
         Bytes b = truncated;
         b[3] = 10;
         return b;
       }()),
       kStatusNetworkError},
      {"oversized reply", answerStartWith({0x00, 0x01, 0xFF, 0xFF, 0xFF, 'S', 'M', 'B'}),
       kStatusNetworkError},
      {"reply to another command", answerStartWith(wrongCommand), kStatusNetworkError},
      {"request echoed, not answered", answerStartWith(notAReply), kStatusNetworkError},
      {"byte count past the end", answerStartWith(countsPastTheEnd), kStatusNetworkError},
      {"session answer in place of a reply", answerStartWith({0x82, 0, 0, 0}), kStatusNetworkError},
      {"reply dripping in too slowly", afterSession([](PeerConnection& c) {
         c.Read();
         c.WriteSlowly(SmbReply(0xD5), 40ms);
       }),
       kStatusTimeout},
      {"keeps the connection alive, never answers", afterSession([](PeerConnection& c) {
         c.Read();
         for (int i = 0; i < 40; ++i) {
           c.Write({0x85, 0, 0, 0});
           std::this_thread::sleep_for(20ms);
         }
       }),
       kStatusTimeout},
      {"refuses the second block", afterSession([](PeerConnection& c) {
         for (int i = 0; i < 3; ++i) {
           Bytes r = c.Read();
           c.Write(i < 2 ? SmbReply(CommandOf(r)) : DosError(0xD7, 0x01, 0x0057));
         }
         c.Idle();
       }),
       87},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    FakeSessionPeer peer(k.script);
    WireMessenger m(TestConfig(peer.Port()));
    auto start = Clock::now();
    EXPECT_EQ(Send(m, u"peer", u"s", std::u16string(200, u'x')), k.expected);
    EXPECT_LT(Clock::now() - start, 1500ms);
    // The called name is retried once as "*SMBSERVER"; everything else is tried once.
    EXPECT_EQ(peer.Connections(), k.expected == kStatusNameNotFound ? 2 : 1);
  }

  auto start = Clock::now();
  WireMessenger m(TestConfig(ClosedPort()));
  EXPECT_EQ(Send(m, u"peer", u"s", u"x"), kStatusConnectionRefused);
  EXPECT_LT(Clock::now() - start, 1500ms);
}

TEST(WireDelivery, KeepAlivesBetweenRepliesAreSteppedOver) {
  FakeSessionPeer peer([](PeerConnection& c) {
    ServeMessenger(c, [](uint8_t command, int) {
      Bytes b = {0x85, 0, 0, 0, 0x85, 0, 0, 0};
      Bytes reply = SmbReply(command);
      b.insert(b.end(), reply.begin(), reply.end());
      return b;
    });
  });
  WireMessenger m(TestConfig(peer.Port()));
  EXPECT_EQ(Send(m, u"peer", u"s", u"hi"), kNerrSuccess);
}

TEST(WireResolution, NameFoundByNameQueryIsAskedOnceForTheWholeJob) {
  FakeSessionPeer peer([](PeerConnection& c) { ServeMessenger(c); });
  std::atomic<int> asked{0};
  FakeNameService names([&](const Bytes& q) -> std::optional<Bytes> {
    if (QuestionNameOf(q) != "PC7<03>" || QuestionTypeOf(q) != 0x20) return std::nullopt;
    ++asked;
    return NameQueryAnswerFor(q, kLoopback);
  });
  WireConfig config = TestConfig(peer.Port());
  config.nameServicePort = names.Port();
  config.timeouts.reply = 3s;
  WireMessenger m(config);
  std::vector<std::thread> workers;
  std::atomic<int> delivered{0};
  for (int t = 0; t < 8; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < 3; ++i) delivered += Send(m, u"pc7", u"s", u"x") == kNerrSuccess;
    });
  for (auto& w : workers) w.join();
  EXPECT_EQ(delivered, 24);
  EXPECT_EQ(asked, 1);
  ASSERT_FALSE(peer.Received().empty());
  EXPECT_EQ(CalledNameOf(peer.Received()[0][0]), "PC7<03>");
}

TEST(WireResolution, NameFoundNowhereFailsOnceAndIsNotAskedAgain) {
  FakeNameService names([](const Bytes&) { return std::nullopt; });
  WireConfig config = TestConfig(ClosedPort());
  config.nameServicePort = names.Port();
  WireMessenger m(config);
  EXPECT_EQ(Send(m, u"nosuchpc", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(names.Questions(), 2);  // two attempts
  EXPECT_EQ(Send(m, u"NoSuchPC", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(names.Questions(), 2);
  // Names that cannot be NetBIOS names are not cut to one: only the resolver could find them.
  EXPECT_EQ(Send(m, u"accounting-server-7", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(Send(m, u"日本", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(Send(m, u"", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(names.Questions(), 2);
}

TEST(WireResolution, AddressIsCalledByTheMessengerNameItsNodeStatusGives) {
  FakeSessionPeer peer([](PeerConnection& c) { ServeMessenger(c); });
  FakeNameService names([](const Bytes& q) -> std::optional<Bytes> {
    if (QuestionTypeOf(q) != 0x21) return std::nullopt;
    return NodeStatusAnswerFor(
        q, {"IVANOV<03>", "PC7<00>", "WORKGROUP<00>G", "PC7<20>", "PC7<03>", "WORKGROUP<1E>G"});
  });
  WireConfig config = TestConfig(peer.Port());
  config.nameServicePort = names.Port();
  WireMessenger m(config);
  ASSERT_EQ(Send(m, u"127.0.0.1", u"s", u"x"), kNerrSuccess);
  auto p = peer.Received().at(0);
  EXPECT_EQ(CalledNameOf(p[0]), "PC7<03>");
  EXPECT_EQ(StartNamesOf(p[1]).second, "PC7");
}

TEST(WireResolution, AddressWithoutNodeStatusIsCalledAsAnyServer) {
  FakeSessionPeer peer([](PeerConnection& c) { ServeMessenger(c); });
  WireConfig config = TestConfig(peer.Port());
  config.nameQueryInterval = 300ms;
  config.nameQueryAttempts = 3;
  WireMessenger m(config);
  auto start = Clock::now();
  ASSERT_EQ(Send(m, u"127.0.0.1", u"s", u"x"), kNerrSuccess);
  // Nothing listens on the name service port, and the system says so: the attempts are not
  // waited out. (Linux says so at once; Wine only at the second attempt's send.)
  EXPECT_LT(Clock::now() - start, 800ms);
  auto p = peer.Received().at(0);
  EXPECT_EQ(CalledNameOf(p[0]), "*SMBSERVER<20>");
  EXPECT_EQ(StartNamesOf(p[1]).second, "127.0.0.1");
}

TEST(WireNameAdd, NameIsRefusedOnlyWhenAnotherComputerAnswersToIt) {
  std::atomic<int> asked{0};
  FakeNameService names([&](const Bytes& q) -> std::optional<Bytes> {
    ++asked;
    if (QuestionNameOf(q) == "\x88\x82\x80\x8D<03>")  // ИВАН
      return NameQueryAnswerFor(q, Ipv4{0x7F000002});
    return std::nullopt;
  });
  WireConfig config = TestConfig(ClosedPort());
  config.nameServicePort = names.Port();
  WireMessenger m(config);

  std::vector<std::thread> workers;
  std::atomic<int> taken{0}, free{0};
  for (int t = 0; t < 8; ++t)
    workers.emplace_back([&] {
      taken += m.MessageNameAdd(u"Иван") == kStatusDuplicateName;
      free += m.MessageNameAdd(u"Petrov") == kNerrSuccess;
    });
  for (auto& w : workers) w.join();
  EXPECT_EQ(taken, 8);
  EXPECT_EQ(free, 8);
  EXPECT_EQ(asked, 1 + 2);  // one answered question; two unanswered attempts
  EXPECT_EQ(m.MessageNameDel(u"Иван"), kNerrSuccess);

  EXPECT_EQ(m.MessageNameAdd(u"korveltest"), kNerrSuccess);  // this computer's own
  EXPECT_EQ(m.MessageNameAdd(u""), kNerrSuccess);
  EXPECT_EQ(m.MessageNameAdd(u"Администратор сети"), kStatusInvalidName);
  EXPECT_EQ(m.MessageNameAdd(u"Ivan\u2603"), kStatusInvalidName);
  EXPECT_EQ(asked, 3);
}

namespace {

struct DecodedDatagram {
  uint8_t type = 0, flags = 0;
  size_t length = 0;
  std::string source, destination;
  uint8_t command = 0, words = 0;
  std::string mailslot;
  std::vector<std::string> data;  // originator, recipient, text
};

// Reads a datagram the way a receiver would, by offsets.
DecodedDatagram Decode(const Bytes& b) {
  DecodedDatagram d;
  auto name = [&](size_t at) {
    uint8_t raw[16];
    for (size_t i = 0; i < 16; ++i)
      raw[i] = static_cast<uint8_t>((b[at + 1 + 2 * i] - 'A') << 4 | (b[at + 2 + 2 * i] - 'A'));
    return ShowName(raw);
  };
  d.type = b[0];
  d.flags = b[1];
  d.length = static_cast<size_t>(b[10] << 8 | b[11]);
  d.source = name(14);
  d.destination = name(48);
  const size_t smb = 82;
  d.command = b[smb + 4];
  d.words = b[smb + 32];
  size_t dataCount = b[smb + 33 + 22] | b[smb + 33 + 23] << 8;
  size_t dataOffset = b[smb + 33 + 24] | b[smb + 33 + 25] << 8;
  size_t bytesAt = smb + 33 + 2 * d.words + 2;
  d.mailslot = std::string(reinterpret_cast<const char*>(&b[bytesAt]));
  std::string data(b.begin() + static_cast<long>(smb + dataOffset),
                   b.begin() + static_cast<long>(smb + dataOffset + dataCount));
  for (size_t at = 0; at < data.size();) {
    size_t end = data.find('\0', at);
    d.data.push_back(data.substr(at, end - at));
    at = end + 1;
  }
  return d;
}

}  // namespace

TEST(WireDatagram, WorkgroupAndWholeNetworkGetAMailslotDatagram) {
  Socket listener = Socket::Udp();
  ASSERT_TRUE(listener.Bind(kLoopback, 0));
  WireConfig config = TestConfig(ClosedPort());
  config.datagramPort = listener.LocalPort();
  WireMessenger m(config);
  auto receive = [&] {
    uint8_t buffer[1500];
    size_t got = 0;
    Ipv4 from;
    uint16_t port = 0;
    if (listener.ReceiveFrom(buffer, sizeof buffer, got, from, port, Clock::now() + 2s) !=
        NetResult::Ok)
      return Bytes{};
    return Bytes(buffer, buffer + got);
  };

  ASSERT_EQ(Send(m, u"Бухгалтерия*", u"Иван", u"Обед!\r\nВ 13:00"), kNerrSuccess);
  Bytes packet = receive();
  ASSERT_FALSE(packet.empty());
  DecodedDatagram d = Decode(packet);
  EXPECT_EQ(d.type, 0x11);
  EXPECT_EQ(d.flags, 0x02);
  EXPECT_EQ(d.length, packet.size() - 14);
  EXPECT_EQ(d.source, "KORVELTEST<00>");
  EXPECT_EQ(d.destination, Oem(u"БУХГАЛТЕРИЯ") + "<03>");
  EXPECT_EQ(d.command, 0x25);
  EXPECT_EQ(d.words, 17);
  EXPECT_EQ(d.mailslot, "\\MAILSLOT\\MESSNGR");
  EXPECT_EQ(d.data, (std::vector<std::string>{Oem(u"Иван"), Oem(u"БУХГАЛТЕРИЯ"),
                                              Oem(u"Обед!\r\nВ 13:00")}));

  ASSERT_EQ(Send(m, u"*", nullptr, u"всем"), kNerrSuccess);
  d = Decode(receive());
  EXPECT_EQ(d.type, 0x12);
  EXPECT_EQ(d.data, (std::vector<std::string>{"KORVELTEST", "*", Oem(u"всем")}));

  // A mailslot message between computers holds 424 bytes in all; more is refused, not cut.
  EXPECT_EQ(Send(m, u"WG*", u"ab", std::u16string(424 - 3 - 2 - 2, u'x')), kNerrSuccess);
  EXPECT_EQ(Decode(receive()).data.at(2).size(), 417u);
  EXPECT_EQ(Send(m, u"WG*", u"ab", std::u16string(418, u'x')), kStatusTextTooLong);
  EXPECT_EQ(Send(m, u"Очень длинная группа*", u"ab", u"x"), kStatusInvalidName);
}
