// Peers of our own on loopback for the messenger client's tests: a session-service peer that
// plays a script per connection, and a name-service responder. Everything they receive is kept
// so that tests can look at the bytes.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sending/socket.h"

namespace korvel::wire::fake {

using Bytes = std::vector<uint8_t>;
constexpr Ipv4 kLoopback{0x7F000001};

// A port on 127.0.0.1 where nothing listens.
uint16_t ClosedPort();

class PeerConnection {
 public:
  PeerConnection(Socket socket, const std::atomic<bool>& stop);
  // The next session packet, header included; empty when the client has gone.
  Bytes Read();
  void Write(const Bytes& bytes);
  // One byte at a time, `gap` apart.
  void WriteSlowly(const Bytes& bytes, std::chrono::milliseconds gap);
  // Waits, answering nothing, until the client goes away.
  void Idle();
  const std::vector<Bytes>& Packets() const { return packets_; }

 private:
  Socket socket_;
  const std::atomic<bool>& stop_;
  std::vector<Bytes> packets_;
};

// Listens on 127.0.0.1 and runs `script` for every connection, each on a thread of its own.
class FakeSessionPeer {
 public:
  using Script = std::function<void(PeerConnection&)>;
  explicit FakeSessionPeer(Script script);
  ~FakeSessionPeer();
  uint16_t Port() const { return port_; }
  int Connections() const { return connections_; }
  // What every connection received, one list per connection, in the order they ended; waits
  // (a few seconds at most) for the connections still being served to end.
  std::vector<std::vector<Bytes>> Received() const;

 private:
  Script script_;
  Socket listener_;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable ended_;
  std::vector<std::vector<Bytes>> received_;
  std::vector<std::thread> threads_;
  std::thread acceptor_;
};

// Answers name-service questions on 127.0.0.1 with what `answer` makes of them (nothing when
// it returns nullopt).
class FakeNameService {
 public:
  using Answer = std::function<std::optional<Bytes>(const Bytes& question)>;
  explicit FakeNameService(Answer answer);
  ~FakeNameService();
  uint16_t Port() const { return port_; }
  int Questions() const { return questions_; }

 private:
  Answer answer_;
  Socket socket_;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> questions_{0};
  std::thread thread_;
};

// A messenger that accepts everything: positive session response, a success reply to each
// request, idle after the end. `reply` may replace the answer to any request.
using ReplyFor = std::function<Bytes(uint8_t command, int index)>;
void ServeMessenger(PeerConnection& c, const ReplyFor& reply = {});

// An SMB reply as a receiver sends it, in a session message. NT form when `ntStatus` is true,
// else DOS class and code.
Bytes SmbReply(uint8_t command, bool ntStatus = true, uint32_t status = 0,
               std::vector<uint16_t> words = {});
Bytes DosError(uint8_t command, uint8_t errorClass, uint16_t code);

// What a session packet from the client holds.
uint8_t CommandOf(const Bytes& packet);
std::string CalledNameOf(const Bytes& sessionRequest);  // decoded, e.g. "PEER<03>"
std::string CallingNameOf(const Bytes& sessionRequest);
// Start: the two strings; text: the block; both after the SMB header.
std::pair<std::string, std::string> StartNamesOf(const Bytes& packet);
std::string BlockOf(const Bytes& packet);
uint16_t GroupOf(const Bytes& packet);

// The name a name-service question asks for, decoded ("PEER<03>"), and its type.
std::string QuestionNameOf(const Bytes& question);
uint16_t QuestionTypeOf(const Bytes& question);
// A positive answer to a name query, or a node status answer listing `names` ("PC7<03>"; after
// the suffix, "G" marks a group name, "C" a name in conflict, "D" one being given up, e.g.
// "WORKGROUP<00>G").
Bytes NameQueryAnswerFor(const Bytes& question, Ipv4 address);
Bytes NodeStatusAnswerFor(const Bytes& question, const std::vector<std::string>& names);

// "NAME<xx>" for 16 raw name bytes.
std::string ShowName(const uint8_t* bytes16);

}  // namespace korvel::wire::fake
