// The hand-over from worker threads to the UI thread: it runs there, waits, refuses
// after the close without hanging anyone, and keeps a failure to itself.
#include "base/ui_thread_call_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "res/resource.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class UiCall : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSinkForTests([this](const std::string& text) { shown.push_back(text); });
  }
  void TearDown() override { SetMessageSinkForTests(nullptr); }
  std::vector<std::string> shown;
};

}  // namespace

TEST_F(UiCall, RunsOnTheUiThreadAndReturnsWhenItHasRun) {
  UiThreadCall call;
  const DWORD ui = GetCurrentThreadId();
  std::atomic<int> done{0};
  DWORD ranOn = 0;
  bool result = false;
  std::thread worker([&] {
    result = call.Run([&] { ranOn = GetCurrentThreadId(); });
    done = 1;
  });
  EXPECT_TRUE(PumpUntil([&] { return done == 1; }));
  worker.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(ranOn, ui);

  // Called on the UI thread itself, it runs at once.
  int n = 0;
  EXPECT_TRUE(call.Run([&] { ++n; }));
  EXPECT_EQ(n, 1);
  call.Close();
}

TEST_F(UiCall, AFailureIsTheCallersToReportAndShowsNothing) {
  UiThreadCall call;
  std::atomic<int> done{0};
  bool result = true;
  std::thread worker([&] {
    result = call.Run([] { throw std::runtime_error("boom"); });
    done = 1;
  });
  EXPECT_TRUE(PumpUntil([&] { return done == 1; }));
  worker.join();
  EXPECT_FALSE(result);
  EXPECT_TRUE(shown.empty());
  call.Close();
}

TEST_F(UiCall, AfterTheCloseNothingRunsAndAWaitingWorkerIsReleased) {
  UiThreadCall call;
  int ran = 0;
  // A worker that is already waiting when the UI thread closes, without pumping.
  std::atomic<int> started{0}, done{0};
  bool result = true;
  std::thread waiting([&] {
    started = 1;
    result = call.Run([&] { ++ran; });
    done = 1;
  });
  while (started == 0) std::this_thread::yield();
  Sleep(50);  // long enough for the call to stand in the UI thread's queue
  call.Close();
  EXPECT_TRUE(PumpUntil([&] { return done == 1; }, std::chrono::seconds(5)));
  waiting.join();
  EXPECT_FALSE(result);

  // A worker that comes after the close is turned away at once.
  std::thread late([&] { result = call.Run([&] { ++ran; }); });
  late.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(ran, 0);
  EXPECT_TRUE(call.Closed());
}

TEST_F(UiCall, AWakeRunsTheIdleWorkOfTheMainWindow) {
  FormFixture fixture;
  TKorvelForm& form = fixture.Create();
  form.SendInProgress() = 1;
  form.UpdateCommands();
  ASSERT_FALSE(form.CommandEnabled(ID_ACT_SEND));
  // A job ends on another thread: it lowers the flag and wakes the loop. Nothing else
  // reaches the loop until the quit, which ends it without another idle pass.
  const DWORD ui = GetCurrentThreadId();
  std::thread job([&] {
    Sleep(100);
    form.SendInProgress() = 0;
    form.UiCall().Wake();
    Sleep(200);
    PostThreadMessageW(ui, WM_QUIT, 0, 0);
  });
  form.Run();
  job.join();
  EXPECT_TRUE(form.CommandEnabled(ID_ACT_SEND));
}
