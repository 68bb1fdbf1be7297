// A worker's failure stops at its boundary and leaves one trace line saying what the
// worker was doing and what went wrong.
#include "base/worker_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace korvel {
namespace {

class WorkerTrace : public ::testing::Test {
 protected:
  WorkerTrace() {
    SetTraceSinkForTests([this](const std::string& line) { lines.push_back(line); });
  }
  ~WorkerTrace() override { SetTraceSinkForTests(nullptr); }
  std::vector<std::string> lines;
};

TEST_F(WorkerTrace, AThrowingWorkerLeavesOneLineNamingWhatItWasDoing) {
  EXPECT_FALSE(WorkerGuarded([] { throw std::runtime_error("no route to PC7"); },
                             "sending to one recipient"));
  EXPECT_EQ(lines,
            std::vector<std::string>{"Korvel: sending to one recipient failed: no route to PC7"});

  lines.clear();
  EXPECT_FALSE(WorkerGuarded([] { throw 42; }, "starting a send job's workers"));
  EXPECT_EQ(lines, std::vector<std::string>{"Korvel: starting a send job's workers failed"});
}

TEST_F(WorkerTrace, AWorkerThatEndsWellLeavesNoTrace) {
  int runs = 0;
  EXPECT_TRUE(WorkerGuarded([&] { ++runs; }, "sending to one recipient"));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace korvel
