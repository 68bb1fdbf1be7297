// Splitting the program's command line into arguments.
#pragma once

#include <string>
#include <vector>

namespace korvel {

// Splits at runs of characters of code 32 or less outside double quotes; each double
// quote switches between inside and outside and is dropped. The first item is the
// program's own path.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The first argument after the program's path, or "" when there is none.
std::string FirstArgument(const std::string& commandLine);

}  // namespace korvel
