// The version text of the running program, read from its version block.
#pragma once

#include <string>

namespace korvel {

// Short form "Korvel 1.3" for the title, full form "Korvel 1.3.0.27" for the about box.
// Empty when the executable carries no version block.
std::string GetVersionText(bool full);
// The same, for the version block of another module file (a UTF-8 path).
std::string GetVersionTextOf(const std::string& modulePath, bool full);

}  // namespace korvel
