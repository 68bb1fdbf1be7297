// Messages per second into a messenger receiver (bench/wire_bench.sh starts a loopback smbd):
// the reference client `smbclient -M` one process per message, our client at 1, 8 and 32
// connections at once, one send job of the program (dispatcher, 50 workers, log hand-overs; its
// median is not a per-message figure), and a bare sender that writes prepared packets and only
// waits for each reply, which shows what the receiver itself can take. Every row counts what
// reached the inbox.
//
//   wire_bench <receiver address> <inbox folder> [messages per run] [rounds]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "sending/job_system.h"
#include "sending/netbios.h"
#include "sending/oem866.h"
#include "sending/send_job.h"
#include "sending/smb_message.h"
#include "sending/wire_messenger.h"

extern char** environ;

using namespace korvel;
using namespace korvel::wire;
using Clock = std::chrono::steady_clock;

namespace {

const std::u16string kText = u"Проверка скорости доставки: съешь же ещё этих мягких булок.";

size_t InboxCount(const std::filesystem::path& inbox) {
  size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(inbox))
    if (e.path().filename().string()[0] != '.') ++n;
  return n;
}

struct Row {
  std::string what;
  int messages = 0;
  double seconds = 0;
  double medianMs = 0;
  size_t delivered = 0;
  int failures = 0;
};

// Runs `one(i)` for messages 0..count-1 on `parallel` threads; `one` returns false on failure.
Row Run(std::string what, int count, int parallel, const std::filesystem::path& inbox,
        const std::function<bool(int)>& one) {
  Row row{std::move(what), count};
  size_t before = InboxCount(inbox);
  std::vector<double> latencies(static_cast<size_t>(count));
  std::atomic<int> next{0}, failures{0};
  auto start = Clock::now();
  std::vector<std::thread> threads;
  for (int t = 0; t < parallel; ++t)
    threads.emplace_back([&] {
      for (int i; (i = next++) < count;) {
        auto t0 = Clock::now();
        if (!one(i)) ++failures;
        latencies[static_cast<size_t>(i)] =
            std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
      }
    });
  for (auto& t : threads) t.join();
  row.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::sort(latencies.begin(), latencies.end());
  row.medianMs = latencies[latencies.size() / 2];
  row.delivered = InboxCount(inbox) - before;
  row.failures = failures;
  return row;
}

bool SmbClient(const std::string& address, const std::string& text) {
  int in[2];
  if (pipe(in) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"smbclient", "-M", "RECEIVER", "-I", address.c_str(), "-p",
                        "139",       "-U", "bench",    "-N", nullptr};
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, "smbclient", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  if (rc != 0) {
    close(in[1]);
    return false;
  }
  ssize_t written = write(in[1], text.data(), text.size());
  close(in[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  // smbclient -M exits 0 even when the message was refused: the inbox is what counts.
  return written == static_cast<ssize_t>(text.size()) && WIFEXITED(status);
}

// The least a sender can do: prepared packets, each reply only read, not checked.
struct BareSender {
  Ipv4 address;
  std::vector<std::vector<uint8_t>> packets;

  BareSender(Ipv4 a, const std::string& oemText) : address(a) {
    packets.push_back(BuildSessionRequest(MakeNetbiosName("RECEIVER", kMessengerSuffix),
                                          MakeNetbiosName("BENCH", kWorkstationSuffix)));
    packets.push_back(BuildSendStart("BARE", "RECEIVER"));
    packets.push_back(BuildSendText(0, oemText));
    packets.push_back(BuildSendEnd(0));
  }

  bool Send() const {
    const Deadline deadline = Clock::now() + std::chrono::seconds(10);
    Socket s = Socket::Tcp();
    if (s.Connect(address, 139, deadline) != NetResult::Ok) return false;
    for (const auto& p : packets) {
      if (s.SendAll(p.data(), p.size(), deadline) != NetResult::Ok) return false;
      uint8_t header[4], body[256];
      if (s.ReceiveAll(header, 4, deadline) != NetResult::Ok) return false;
      size_t length = static_cast<size_t>(header[2] << 8 | header[3]);
      if (length > sizeof body || s.ReceiveAll(body, length, deadline) != NetResult::Ok)
        return false;
    }
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <receiver address> <inbox folder> [messages] [rounds]\n",
                 argv[0]);
    return 2;
  }
  const std::string addressText = argv[1];
  const std::filesystem::path inbox = argv[2];
  const int count = argc > 3 ? std::atoi(argv[3]) : 200;
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
  auto parsed = ParseIpv4(std::string_view(addressText));
  if (!parsed || count <= 0 || rounds <= 0) return 2;
  const Ipv4 address = *parsed;

  // One job's messenger: the receiver's name is resolved once, then every message goes out on
  // a connection of its own. Name queries, should any be made, stay on the receiver's address.
  auto messenger = [&] {
    WireConfig c;
    c.computerName = u"BENCH";
    c.broadcastAddresses = {address};
    c.resolve = [address](std::u16string_view name) -> std::optional<Ipv4> {
      if (name == u"RECEIVER") return address;
      return std::nullopt;
    };
    return std::make_unique<WireMessenger>(c);
  };
  std::vector<uint8_t> buffer;
  for (char16_t ch : kText) {
    buffer.push_back(static_cast<uint8_t>(ch & 0xFF));
    buffer.push_back(static_cast<uint8_t>(ch >> 8));
  }
  buffer.resize(buffer.size() + 2, 0);
  const uint32_t byteLength = static_cast<uint32_t>(2 * kText.size() + 1);
  const std::string oemText = Oem866FromUtf16(kText);
  // For smbclient's stdin; the text is Russian, so Windows-1251 holds all of it.
  const std::string windowsText = Cp1251FromUtf16(kText);
  const std::string utf8Text = Utf8FromCp1251(windowsText);

  struct Case {
    std::string what;
    int parallel;
    std::function<bool(int)> one;
  };
  std::vector<Case> cases;
  cases.push_back({"smbclient -M, one after another", 1,
                   [&](int) { return SmbClient(addressText, utf8Text); }});
  auto shared = messenger();
  for (int parallel : {1, 8, 32}) {
    // A new job for every run: each asks for its route once, as the program's jobs do.
    cases.push_back({"our client, " + std::to_string(parallel) +
                         (parallel == 1 ? " connection" : " connections"),
                     parallel, [&](int) {
                       return shared->MessageBufferSend(u"RECEIVER", u"Bench", buffer.data(),
                                                        byteLength) == 0;
                     }});
  }
  BareSender bare(address, oemText);
  for (int parallel : {1, 8, 32})
    cases.push_back({"bare sender, " + std::to_string(parallel) +
                         (parallel == 1 ? " connection" : " connections"),
                     parallel, [&](int) { return bare.Send(); }});

  // One send job as the program makes it: the same message to the receiver `count` times
  // over, at most 50 workers at once, every attempt handed over to a log.
  struct CountingHost : JobHost {
    std::atomic<int> sent{0}, failed{0};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool HandOver(const LogEntry& entry) noexcept override {
      (entry.image == LogEntry::kSuccess ? sent : failed)++;
      return true;
    }
    bool Closed() const noexcept override { return false; }
    void JobEnded() noexcept override {
      std::lock_guard<std::mutex> lock(mutex);
      done = true;
      ended.notify_all();
    }
  };
  auto policy = std::make_shared<SenderPolicySource>();
  policy->Set({false, 1});  // the sender as it is, with no name query
  std::string field;
  for (int i = 0; i < count; ++i) field += "RECEIVER, ";
  cases.push_back({"one send job, MaxThreads 50", 1, [&](int i) {
                     if (i > 0) return true;  // the first call runs the whole job
                     auto host = std::make_shared<CountingHost>();
                     auto job = std::make_shared<SendJob>();
                     job->messenger = messenger();
                     job->system = std::make_shared<StdJobSystem>();
                     job->host = host;
                     job->policy = policy;
                     job->sendInProgress = std::make_shared<std::atomic<uint8_t>>(0);
                     job->texts = SendTexts::FromStringTable();
                     job->maxThreads = 50;
                     if (!StartSendJob(job, {"Bench", field, windowsText, 1, 0})) return false;
                     std::unique_lock<std::mutex> lock(host->mutex);
                     host->ended.wait(lock, [&] { return host->done; });
                     return host->failed == 0;
                   }});

  // The machine's other work shows in single runs: every case runs once per round, the rounds
  // interleaved, and the median round is what is shown (with the slowest and fastest).
  std::vector<std::vector<Row>> runs(cases.size());
  for (int round = 0; round < rounds; ++round)
    for (size_t i = 0; i < cases.size(); ++i) {
      if (cases[i].what.starts_with("our client")) shared = messenger();
      runs[i].push_back(Run(cases[i].what, count, cases[i].parallel, inbox, cases[i].one));
    }

  std::printf("%d messages per run, %d rounds\n", count, rounds);
  std::printf("%-34s %9s %15s %10s %10s %7s\n", "", "msg/s", "(min..max)", "median ms", "delivered",
              "failed");
  for (auto& r : runs) {
    std::sort(r.begin(), r.end(), [](const Row& a, const Row& b) { return a.seconds > b.seconds; });
    const Row& mid = r[r.size() / 2];
    size_t delivered = 0;
    int failed = 0;
    for (const Row& x : r) {
      delivered += x.delivered;
      failed += x.failures;
    }
    std::printf("%-34s %9.1f %7.1f..%-7.1f %10.1f %10zu %7d\n", mid.what.c_str(),
                mid.messages / mid.seconds, r.front().messages / r.front().seconds,
                r.back().messages / r.back().seconds, mid.medianMs, delivered, failed);
  }
  return 0;
}
