#include <cstdio>

#include "base/trace.h"

namespace korvel {

void WriteTraceLine(const std::string& line) noexcept {
  std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace korvel
