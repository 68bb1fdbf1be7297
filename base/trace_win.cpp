#include <windows.h>

#include "base/text_win.h"
#include "base/trace.h"

namespace korvel {

void WriteTraceLine(const std::string& line) noexcept {
  try {
    OutputDebugStringW((Widen(line) + L"\n").c_str());
  } catch (...) {
  }
}

}  // namespace korvel
