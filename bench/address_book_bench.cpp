// Times saving and loading address books of 1,000, 10,000 and 100,000 nodes in the core:
// serialise + atomic write, read + parse into a MemoryTree. Prints the best of a few runs.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "addressbook/memory_tree.h"
#include "addressbook/recipient_file.h"
#include "base/file_io.h"
#include "base/text.h"
#include "bench/sample_book.h"

using namespace korvel;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main() {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("korvel-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string file = (dir / "book.dat").string();
  constexpr int kRuns = 5;

  std::printf("%8s %10s | %10s %10s %10s | %10s %10s %10s\n", "nodes", "bytes", "serialise",
              "write", "save", "read", "parse", "load");
  for (int nodes : {1000, 10000, 100000}) {
    MemoryTree book;
    FillBook(book, nodes);
    double best[6] = {1e300, 1e300, 1e300, 1e300, 1e300, 1e300};
    size_t bytes = 0;
    for (int run = 0; run < kRuns; ++run) {
      auto t0 = Clock::now();
      std::string text = SerializeTree(book);
      auto t1 = Clock::now();
      if (ReplaceFileContents(file, text) != WriteStatus::Ok)
        return std::fprintf(stderr, "write failed\n"), 1;
      auto t2 = Clock::now();
      std::string read;
      if (ReadWholeFile(file, read) != ReadStatus::Ok)
        return std::fprintf(stderr, "read failed\n"), 1;
      auto t3 = Clock::now();
      MemoryTree loaded;
      if (!ParseTreeText(read, loaded).ok() || loaded.Count() != book.Count())
        return std::fprintf(stderr, "load differs\n"), 1;
      auto t4 = Clock::now();
      bytes = text.size();
      double times[6] = {Ms(t1 - t0), Ms(t2 - t1), Ms(t2 - t0),
                         Ms(t3 - t2), Ms(t4 - t3), Ms(t4 - t2)};
      for (int i = 0; i < 6; ++i) best[i] = std::min(best[i], times[i]);
    }
    std::printf("%8d %10zu | %8.2fms %8.2fms %8.2fms | %8.2fms %8.2fms %8.2fms\n", nodes, bytes,
                best[0], best[1], best[2], best[3], best[4], best[5]);
  }
  fs::remove_all(dir);
  return 0;
}
