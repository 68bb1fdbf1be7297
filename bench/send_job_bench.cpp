// Times whole send jobs in the core against a transport that answers at once: the
// dispatcher, the workers on their threads and the hand-overs into the log model, for
// 1,000 and 10,000 recipients at several MaxThreads. Prints the best of a few runs.
// Quote figures from a Release build without sanitizers:
//   cmake -S . -B build/native-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/native-release --target send_job_bench &&
//   build/native-release/bench/send_job_bench
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "sending/delivery_log.h"
#include "sending/job_system.h"
#include "sending/send_job.h"

using namespace korvel;
using Clock = std::chrono::steady_clock;

namespace {

class InstantMessenger : public Messenger {
 public:
  NetStatus MessageBufferSend(const char16_t*, const char16_t*, const uint8_t*, uint32_t) override {
    return kNerrSuccess;
  }
  NetStatus MessageNameAdd(const char16_t*) override { return kNerrSuccess; }
  NetStatus MessageNameDel(const char16_t*) override { return kNerrSuccess; }
};

// The log insertion runs on the worker's own thread here, still one at a time.
class ModelHost : public JobHost {
 public:
  bool HandOver(const LogEntry& entry) noexcept override {
    log.Insert(entry, 300);
    ++handedOver;
    return true;
  }
  bool Closed() const noexcept override { return false; }
  void JobEnded() noexcept override {
    std::lock_guard<std::mutex> lock(mutex);
    ended = true;
    endedSignal.notify_all();
  }
  DeliveryLogModel log;
  int handedOver = 0;
  std::mutex mutex;
  std::condition_variable endedSignal;
  bool ended = false;
};

double RunJob(int recipients, int maxThreads) {
  std::string field;
  for (int i = 0; i < recipients; ++i) field += "PC" + std::to_string(i) + ", ";
  auto host = std::make_shared<ModelHost>();
  auto job = std::make_shared<SendJob>();
  job->messenger = std::make_shared<InstantMessenger>();
  job->system = std::make_shared<StdJobSystem>();
  job->host = host;
  job->policy = std::make_shared<SenderPolicySource>();
  job->sendInProgress = std::make_shared<std::atomic<uint8_t>>(0);
  job->texts = SendTexts::FromStringTable();
  job->maxThreads = maxThreads;
  auto t0 = Clock::now();
  if (!StartSendJob(job, {"me", field, "Hello", 1, 0})) return -1;
  std::unique_lock<std::mutex> lock(host->mutex);
  host->endedSignal.wait(lock, [&] { return host->ended; });
  auto t1 = Clock::now();
  if (host->handedOver != recipients) return -1;
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

}  // namespace

int main() {
  constexpr int kRuns = 3;
  std::printf("%10s %10s | %10s\n", "recipients", "MaxThreads", "job");
  for (int recipients : {1000, 10000}) {
    for (int maxThreads : {1, 10, 50, 200}) {
      if (recipients == 10000 && maxThreads == 1) continue;
      double best = 1e300;
      for (int run = 0; run < kRuns; ++run) {
        double ms = RunJob(recipients, maxThreads);
        if (ms < 0) return 1;
        best = std::min(best, ms);
      }
      std::printf("%10d %10d | %8.1fms\n", recipients, maxThreads, best);
    }
  }
  return 0;
}
