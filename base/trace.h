// The program's trace: lines for whoever watches its debugger output (DebugView, a
// debugger, Wine's +debugstr channel). Nothing here is shown to the user.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvel {

// Writes one line; never throws. `line` is Windows-1251, as the program's texts are.
void Trace(std::string_view line) noexcept;

// "Korvel: <doing> failed: <what>", or "... failed" when there is no text to say.
std::string FailureLine(std::string_view doing, const char* what);

// Tests catch trace lines here as well; pass nullptr to stop.
void SetTraceSinkForTests(std::function<void(const std::string&)> sink);

// Where the line goes on this system: the debugger output on Windows, stderr elsewhere.
void WriteTraceLine(const std::string& line) noexcept;

}  // namespace korvel
