#include "base/trace.h"

namespace korvel {

namespace {
std::function<void(const std::string&)>& Sink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}
}  // namespace

std::string FailureLine(std::string_view doing, const char* what) {
  std::string line = "Korvel: ";
  line += doing;
  line += " failed";
  if (what && *what) {
    line += ": ";
    line += what;
  }
  return line;
}

void Trace(std::string_view line) noexcept {
  try {
    const std::string text(line);
    WriteTraceLine(text);
    if (Sink()) Sink()(text);
  } catch (...) {
    // Out of memory for the line itself: there is nowhere left to say it.
  }
}

void SetTraceSinkForTests(std::function<void(const std::string&)> sink) {
  Sink() = std::move(sink);
}

}  // namespace korvel
