// Where the running program lives.
#pragma once

#include <windows.h>

#include <string>

namespace korvel {

// The full path of `module` (the executable for nullptr), as UTF-8.
std::string ModulePath(HMODULE module = nullptr);

}  // namespace korvel
