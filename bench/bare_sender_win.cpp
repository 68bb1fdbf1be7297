// The ceiling for any Windows program here: a bare sender with blocking Winsock and a fixed
// set of threads, each taking the next message and holding the same conversation Korvel's
// own client holds with a computer known by its address (session request for *SMBSERVER,
// the start of a message, one text block, its end), one connection per message.
//   bare_sender.exe ADDRESS MESSAGES [THREADS [MODE]]     (50 threads by default)
// Prints "bare: N messages, F failed, T ms, R msg/s". MODE shows what one habit costs here:
//   select       non-blocking sockets, each step waited for with select (one way to give
//                every step a timeout)
//   timeout      blocking sockets under SO_RCVTIMEO and SO_SNDTIMEO (the other way, Korvel's)
//   new-threads  a new thread per message, at most THREADS at once
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sending/netbios.h"
#include "sending/oem866.h"
#include "sending/smb_message.h"

using namespace korvel::wire;

namespace {

bool g_select = false;   // MODE "select"
bool g_timeout = false;  // MODE "timeout"

bool SendAll(SOCKET s, const std::vector<uint8_t>& data) {
  size_t at = 0;
  while (at < data.size()) {
    int n = send(s, reinterpret_cast<const char*>(data.data() + at),
                 static_cast<int>(data.size() - at), 0);
    if (n <= 0) return false;
    at += static_cast<size_t>(n);
  }
  return true;
}

void WaitReadable(SOCKET s) {
  fd_set ready;
  FD_ZERO(&ready);
  FD_SET(s, &ready);
  timeval tv{5, 0};
  select(0, &ready, nullptr, nullptr, &tv);
}

bool ReceiveAll(SOCKET s, uint8_t* into, size_t size) {
  size_t at = 0;
  while (at < size) {
    if (g_select) {
      int n = recv(s, reinterpret_cast<char*>(into + at), static_cast<int>(size - at), 0);
      if (n > 0) {
        at += static_cast<size_t>(n);
        continue;
      }
      if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return false;
      WaitReadable(s);
      continue;
    }
    int n = recv(s, reinterpret_cast<char*>(into + at), static_cast<int>(size - at), 0);
    if (n <= 0) return false;
    at += static_cast<size_t>(n);
  }
  return true;
}

// One packet's type and payload.
bool Read(SOCKET s, uint8_t& type, std::vector<uint8_t>& payload) {
  uint8_t raw[kSessionHeaderSize];
  if (!ReceiveAll(s, raw, sizeof raw)) return false;
  auto header = ParseSessionHeader(raw);
  if (!header) return false;
  type = header->type;
  payload.resize(header->length);
  return ReceiveAll(s, payload.data(), payload.size());
}

bool Exchange(SOCKET s, const std::vector<uint8_t>& request, uint8_t command, uint16_t* group) {
  uint8_t type = 0;
  std::vector<uint8_t> payload;
  if (!SendAll(s, request) || !Read(s, type, payload) || type != kSessionMessage) return false;
  SmbReply reply = ParseSmbReply(payload.data(), payload.size(), command);
  if (reply.kind != SmbReply::Kind::Accepted) return false;
  if (group) *group = reply.group;
  return true;
}

bool DeliverOne(const sockaddr_in& to, const std::string& destination, const std::string& text) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  bool ok = connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
  if (g_select) {
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
  }
  if (g_timeout) {
    DWORD ms = 10000;
    for (int option : {SO_RCVTIMEO, SO_SNDTIMEO})
      setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&ms), sizeof ms);
  }
  uint8_t type = 0;
  std::vector<uint8_t> payload;
  ok = ok && SendAll(s, BuildSessionRequest(AnyServerName(), MakeNetbiosName("BENCH", 0x00))) &&
       Read(s, type, payload) &&
       ParseSessionAnswer(type, payload.data(), payload.size()).kind ==
           SessionAnswer::Kind::Positive;
  uint16_t group = 0;
  ok = ok && Exchange(s, BuildSendStart("BENCH", destination), kSmbSendStart, &group) &&
       Exchange(s, BuildSendText(group, text), kSmbSendText, nullptr) &&
       Exchange(s, BuildSendEnd(group), kSmbSendEnd, nullptr);
  closesocket(s);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bare_sender ADDRESS MESSAGES [THREADS]\n");
    return 2;
  }
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 2;
  const std::string address = argv[1];
  const int messages = std::atoi(argv[2]);
  const int threads = argc > 3 ? std::atoi(argv[3]) : 50;
  const std::string mode = argc > 4 ? argv[4] : "";
  g_select = mode == "select";
  g_timeout = mode == "timeout";
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(139);
  inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  const std::string text = Oem866FromUtf16(u"Обед в 13:00");

  std::atomic<int> next{0}, failed{0};
  const auto t0 = std::chrono::steady_clock::now();
  if (mode == "new-threads") {
    std::atomic<int> live{0};
    for (int i = 0; i < messages; ++i) {
      while (live >= threads) Sleep(1);
      ++live;
      std::thread([&] {
        if (!DeliverOne(to, address, text)) ++failed;
        --live;
      }).detach();
    }
    while (live > 0) Sleep(1);
  } else {
    std::vector<std::thread> pool;
    for (int i = 0; i < threads; ++i)
      pool.emplace_back([&] {
        while (next++ < messages)
          if (!DeliverOne(to, address, text)) ++failed;
      });
    for (std::thread& t : pool) t.join();
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  std::printf("bare%s%s: %d messages, %d failed, %.0f ms, %.1f msg/s\n", mode.empty() ? "" : " ",
              mode.c_str(), messages, failed.load(), ms, messages * 1000.0 / ms);
  return failed ? 1 : 0;
}
