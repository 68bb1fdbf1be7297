// The messenger client against peers of our own on loopback: what it sends, byte for byte, and
// one failure, quickly, for every way a receiver can go wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
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
      {"not listening on the called name",
       [](PeerConnection& c) {
         c.Read();
         c.Write({0x83, 0, 0, 1, 0x80});
       },
       kStatusRemoteNotListening},
      {"not listening for the calling name",
       [](PeerConnection& c) {
         c.Read();
         c.Write({0x83, 0, 0, 1, 0x81});
       },
       kStatusRemoteNotListening},
      {"out of resources",
       [](PeerConnection& c) {
         c.Read();
         c.Write({0x83, 0, 0, 1, 0x83});
       },
       kStatusReceiverBusy},
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
    // A name not present there, where no node status answers, is tried once more as
    // "*SMBSERVER"; everything else is tried once.
    EXPECT_EQ(peer.Connections(), k.expected == kStatusNameNotFound ? 2 : 1);
  }

  auto start = Clock::now();
  WireMessenger m(TestConfig(ClosedPort()));
  EXPECT_EQ(Send(m, u"peer", u"s", u"x"), kStatusConnectionRefused);
  EXPECT_LT(Clock::now() - start, 1500ms);
}

// However a peer cuts its packets up or runs them together, with keep-alives before and after
// each, every reply is read whole and nothing of the next is lost.
TEST(WireDelivery, RepliesAreReadWholeHoweverTheyAreCutOrJoined) {
  FakeSessionPeer peer([](PeerConnection& c) {
    if (c.Read().empty()) return;
    c.Write({0x82, 0, 0, 0, 0x85, 0, 0, 0});
    for (;;) {
      Bytes request = c.Read();
      if (request.empty()) return;
      Bytes b = {0x85, 0, 0, 0};
      Bytes reply = SmbReply(CommandOf(request));
      b.insert(b.end(), reply.begin(), reply.end());
      b.insert(b.end(), {0x85, 0, 0, 0});
      // Cut inside the first keep-alive, inside the reply's header, and whole from there.
      c.Write(Bytes(b.begin(), b.begin() + 2));
      std::this_thread::sleep_for(20ms);
      c.Write(Bytes(b.begin() + 2, b.begin() + 6));
      std::this_thread::sleep_for(20ms);
      c.Write(Bytes(b.begin() + 6, b.end()));
      if (CommandOf(request) == 0xD6) break;
    }
    c.Idle();
  });
  WireMessenger m(TestConfig(peer.Port()));
  EXPECT_EQ(Send(m, u"peer", u"s", std::u16string(300, u'x')), kNerrSuccess);
  EXPECT_EQ(peer.Received().at(0).size(), 6u);  // session, start, three blocks, end
}

// A peer that answers every request just inside the reply timeout cannot hold a worker past
// the bound on the whole delivery.
TEST(WireDelivery, AWholeDeliveryEndsAtItsBoundHoweverPromptlyEachReplyComes) {
  FakeSessionPeer peer([](PeerConnection& c) {
    if (c.Read().empty()) return;
    c.Write({0x82, 0, 0, 0});
    for (;;) {
      Bytes request = c.Read();
      if (request.empty()) return;
      std::this_thread::sleep_for(200ms);
      c.Write(SmbReply(CommandOf(request)));
    }
  });
  WireConfig config = TestConfig(peer.Port());
  config.timeouts = {300ms, 300ms, 1s};
  WireMessenger m(config);
  const auto start = Clock::now();
  // Start, five blocks and the end: seven replies, 1.4 s in all.
  EXPECT_EQ(Send(m, u"peer", u"s", std::u16string(600, u'x')), kStatusTimeout);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 900ms);
  EXPECT_LT(took, 1300ms);
}

namespace {

// A computer on loopback: its session service (`peer`), and a name service that answers node
// status with `names` and name queries for NAME<03> when NAME<03> is among them.
struct Computer {
  explicit Computer(FakeSessionPeer::Script script, std::vector<std::string> names = {})
      : peer(std::move(script)),
        held(std::move(names)),
        nameService([this](const Bytes& q) { return Answer(q); }) {}

  std::optional<Bytes> Answer(const Bytes& q) {
    if (QuestionTypeOf(q) == 0x21) {
      ++nodeStatus;
      return NodeStatusAnswerFor(q, held);
    }
    for (const std::string& name : held)
      if (name == QuestionNameOf(q)) return NameQueryAnswerFor(q, kLoopback);
    return std::nullopt;
  }

  WireConfig Config() {
    WireConfig c = TestConfig(peer.Port());
    c.nameServicePort = nameService.Port();
    return c;
  }

  // The called name of every session request, in order.
  std::vector<std::string> Called() const {
    std::vector<std::string> called;
    for (const auto& connection : peer.Received())
      if (!connection.empty()) called.push_back(CalledNameOf(connection[0]));
    std::sort(called.begin(), called.end());
    return called;
  }

  FakeSessionPeer peer;
  std::vector<std::string> held;
  std::atomic<int> nodeStatus{0};
  FakeNameService nameService;
};

// Session service of a messenger that answers to `names` only (0x82 for any other), or of a
// current Windows computer when `fileServerOnly`: it takes "*SMBSERVER" and any name of its
// own, then closes on a messenger command.
FakeSessionPeer::Script AnswersTo(std::vector<std::string> names, bool fileServerOnly = false) {
  return [names, fileServerOnly](PeerConnection& c) {
    Bytes request = c.Read();
    if (request.empty()) return;
    const std::string called = CalledNameOf(request);
    if (std::find(names.begin(), names.end(), called) == names.end()) {
      c.Write({0x83, 0, 0, 1, 0x82});
      return;
    }
    c.Write({0x82, 0, 0, 0});
    for (;;) {
      Bytes r = c.Read();
      if (r.empty() || fileServerOnly) return;
      c.Write(SmbReply(CommandOf(r)));
      if (CommandOf(r) == 0xD6) break;
    }
    c.Idle();
  };
}

}  // namespace

// Of the names a node status lists, one in conflict or being given up is not called, however
// much it looks like the computer's own.
TEST(WireCalledName, ANameNotHeldThereIsLookedUpInItsNodeStatusAndThatRouteKept) {
  Computer pc(AnswersTo({"ANNA<03>"}),
              {"PC7<00>", "PC7<03>C", "PC7<20>", "GONE<00>", "GONE<03>D", "ANNA<03>", "WG<00>G"});
  WireMessenger m(pc.Config());
  ASSERT_EQ(Send(m, u"peer", u"s", u"one"), kNerrSuccess);  // "peer" is in the resolver only
  ASSERT_EQ(Send(m, u"peer", u"s", u"two"), kNerrSuccess);
  EXPECT_EQ(pc.Called(), (std::vector<std::string>{"ANNA<03>", "ANNA<03>", "PEER<03>"}));
  EXPECT_EQ(pc.nodeStatus, 1);
  auto received = pc.peer.Received();
  for (const auto& connection : received)
    if (connection.size() > 1) {
      EXPECT_EQ(StartNamesOf(connection[1]).second, "ANNA");
    }
}

// A current Windows computer: file sharing on, no messenger name. Whether called by its name
// or by its address, that is "no messenger there", and "*SMBSERVER" (which it would take, then
// refuse the message) is never called.
TEST(WireCalledName, ACurrentWindowsIsNoMessengerThereAndNeverCalledAsAnyServer) {
  Computer win(AnswersTo({"PEER<20>", "*SMBSERVER<20>"}, true),
               {"PEER<00>", "WORKGROUP<00>G", "PEER<20>", "WORKGROUP<1E>G"});
  WireMessenger m(win.Config());
  EXPECT_EQ(Send(m, u"peer", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(Send(m, u"127.0.0.1", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(win.Called(), (std::vector<std::string>{"PEER<03>"}));
  EXPECT_EQ(win.nodeStatus, 2);
  // A clear answer: kept for the job.
  EXPECT_EQ(Send(m, u"PEER", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(Send(m, u"127.0.0.1", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(win.peer.Connections(), 1);
  EXPECT_EQ(win.nodeStatus, 2);
}

// Only where nothing answers for names (an smbd without its name service) is "*SMBSERVER"
// called; a server there that refuses the messenger's commands is no messenger either.
TEST(WireCalledName, WithoutNodeStatusAnyServerIsCalledAndItsRefusalIsNoMessenger) {
  FakeSessionPeer closes(AnswersTo({"*SMBSERVER<20>"}, true));
  WireMessenger m(TestConfig(closes.Port()));
  EXPECT_EQ(Send(m, u"127.0.0.1", u"s", u"x"), kStatusNameNotFound);
  EXPECT_EQ(Send(m, u"peer", u"s", u"x"), kStatusNameNotFound);

  FakeSessionPeer refuses([](PeerConnection& c) {
    c.Read();
    c.Write({0x82, 0, 0, 0});
    c.Read();
    c.Write(DosError(0xD5, 0x02, 0x0001));
    c.Idle();
  });
  WireMessenger n(TestConfig(refuses.Port()));
  EXPECT_EQ(Send(n, u"127.0.0.1", u"s", u"x"), kStatusNameNotFound);
  auto called = refuses.Received();
  ASSERT_EQ(called.size(), 1u);
  EXPECT_EQ(CalledNameOf(called[0][0]), "*SMBSERVER<20>");
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

// A name that can be a NetBIOS name is the name service's first, before any DNS search suffix
// can make it some other computer; a name with a dot is the resolver's alone.
TEST(WireResolution, NetbiosNamesAskTheNameServiceFirstAndDottedNamesOnlyTheResolver) {
  Computer pc(AnswersTo({"PC7<03>"}), {"PC7<00>", "PC7<03>"});
  WireConfig config = pc.Config();
  auto asked = std::make_shared<std::vector<std::u16string>>();
  auto mutex = std::make_shared<std::mutex>();
  config.resolve = [asked, mutex](std::u16string_view name) -> std::optional<Ipv4> {
    std::lock_guard<std::mutex> lock(*mutex);
    asked->emplace_back(name);
    if (name == u"pc7.office.local") return kLoopback;
    return Ipv4{0x7F000002};  // a search suffix's idea of "pc7": some other computer
  };
  WireMessenger m(config);
  ASSERT_EQ(Send(m, u"pc7", u"s", u"x"), kNerrSuccess);
  ASSERT_EQ(Send(m, u"pc7.office.local", u"s", u"x"), kNerrSuccess);
  EXPECT_EQ(*asked, (std::vector<std::u16string>{u"pc7.office.local"}));
  EXPECT_EQ(pc.Called(), (std::vector<std::string>{"PC7<03>", "PC7<03>"}));
}

// A DNS server that does not answer costs a worker the resolver's deadline, and a name not found
// that way is asked again by the next message: it was no clear answer.
TEST(WireResolution, AResolverThatDoesNotAnswerCostsItsDeadlineAndIsAskedAgain) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  auto calls = std::make_shared<std::atomic<int>>(0);
  WireConfig config = TestConfig(ClosedPort());
  config.resolverTimeout = 200ms;
  config.resolve = [release, calls](std::u16string_view) -> std::optional<Ipv4> {
    ++*calls;
    for (int i = 0; i < 500 && !*release; ++i) std::this_thread::sleep_for(10ms);
    return kLoopback;
  };
  WireMessenger m(config);
  for (int attempt = 1; attempt <= 2; ++attempt) {
    const auto start = Clock::now();
    EXPECT_EQ(Send(m, u"slowpc", u"s", u"x"), kStatusNameNotFound);
    EXPECT_LT(Clock::now() - start, 600ms);  // two name queries of 60 ms, then 200 ms
    EXPECT_EQ(*calls, attempt);
  }
  *release = true;
}

// Nothing learnt on the way to a failed delivery is kept: the next message finds the name again.
TEST(WireResolution, WhatLedToAFailureIsNotKeptAndWhatLedToADeliveryIs) {
  std::atomic<int> sessions{0};
  Computer pc(
      [&](PeerConnection& c) {
        if (sessions++ == 0) return;  // the first connection closes at once
        ServeMessenger(c);
      },
      {"PC7<03>"});
  std::atomic<int> queries{0};
  FakeNameService names([&](const Bytes& q) -> std::optional<Bytes> {
    ++queries;
    return pc.Answer(q);
  });
  WireConfig config = pc.Config();
  config.nameServicePort = names.Port();
  WireMessenger m(config);
  EXPECT_EQ(Send(m, u"pc7", u"s", u"x"), kStatusNetworkError);
  EXPECT_EQ(queries, 1);
  EXPECT_EQ(Send(m, u"pc7", u"s", u"x"), kNerrSuccess);
  EXPECT_EQ(queries, 2);
  EXPECT_EQ(Send(m, u"pc7", u"s", u"x"), kNerrSuccess);
  EXPECT_EQ(queries, 2);
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
  std::string sourceAddress;
  size_t length = 0;
  std::string source, destination;
  uint8_t command = 0, words = 0;
  std::string mailslot;
  std::vector<std::string> data;  // originator, recipient, text
};

// Reads a datagram the way a receiver would, by offsets.
DecodedDatagram Decode(const Bytes& b) {
  DecodedDatagram d;
  if (b.size() < 82 + 33 + 2 * 17 + 2) return d;
  auto name = [&](size_t at) {
    uint8_t raw[16];
    for (size_t i = 0; i < 16; ++i)
      raw[i] = static_cast<uint8_t>((b[at + 1 + 2 * i] - 'A') << 4 | (b[at + 2 + 2 * i] - 'A'));
    return ShowName(raw);
  };
  d.type = b[0];
  d.flags = b[1];
  uint32_t source = 0;
  for (size_t i = 4; i < 8; ++i) source = source << 8 | b[i];
  d.sourceAddress = ToString(Ipv4{source});
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

TEST(WireDatagram, AWorkgroupGetsAMailslotDatagramToItsGroupName) {
  Socket listener = Socket::Udp();
  ASSERT_TRUE(listener.Bind(kLoopback, 0));
  WireConfig config = TestConfig(ClosedPort());
  config.datagramPort = listener.LocalPort();
  // Two interfaces: the datagram to 127.0.0.1 leaves from the one whose subnet holds it.
  config.interfaces = {{Ipv4{0x0A010005}, Ipv4{0x0A0100FF}, Ipv4{0xFFFFFF00}},
                       {Ipv4{0x7F000009}, Ipv4{0x7FFFFFFF}, Ipv4{0xFF000000}}};
  std::atomic<int> workgroupAsked{0};
  config.ownWorkgroup = [&]() -> std::optional<std::u16string> {
    ++workgroupAsked;
    return u"Office";
  };
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
  EXPECT_EQ(d.sourceAddress, "127.0.0.9");
  EXPECT_EQ(d.length, packet.size() - 14);
  EXPECT_EQ(d.source, "KORVELTEST<00>");
  EXPECT_EQ(d.destination, Oem(u"БУХГАЛТЕРИЯ") + "<00>");
  EXPECT_EQ(d.command, 0x25);
  EXPECT_EQ(d.words, 17);
  EXPECT_EQ(d.mailslot, "\\MAILSLOT\\MESSNGR");
  EXPECT_EQ(d.data, (std::vector<std::string>{Oem(u"Иван"), Oem(u"БУХГАЛТЕРИЯ"),
                                              Oem(u"Обед!\r\nВ 13:00")}));

  // "*" is this computer's own workgroup, exactly as if it had been typed; asked once a job.
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(Send(m, u"*", nullptr, u"всем"), kNerrSuccess);
    d = Decode(receive());
    EXPECT_EQ(d.type, 0x11);
    EXPECT_EQ(d.destination, "OFFICE<00>");
    EXPECT_EQ(d.data, (std::vector<std::string>{"KORVELTEST", "OFFICE", Oem(u"всем")}));
  }
  EXPECT_EQ(workgroupAsked, 1);

  // A mailslot message between computers holds 424 bytes in all; more is refused, not cut.
  EXPECT_EQ(Send(m, u"WG*", u"ab", std::u16string(424 - 3 - 2 - 2, u'x')), kNerrSuccess);
  EXPECT_EQ(Decode(receive()).data.at(2).size(), 417u);
  EXPECT_EQ(Send(m, u"WG*", u"ab", std::u16string(418, u'x')), kStatusTextTooLong);
  EXPECT_EQ(Send(m, u"Очень длинная группа*", u"ab", u"x"), kStatusInvalidName);

  // Where the system does not say which workgroup this is, "*" goes nowhere rather than to a
  // name nobody holds.
  config.ownWorkgroup = [] { return std::optional<std::u16string>(); };
  WireMessenger unknown(config);
  EXPECT_EQ(Send(unknown, u"*", nullptr, u"всем"), kStatusNoWorkgroup);
}
