// Version text of the running program, registry strings and the string table.
#pragma once

#include <windows.h>

#include <string>

#include "app/defaults.h"

namespace korvel {

// Short form "Korvel 1.3" for the title, full form "Korvel 1.3.0.27" for the about box.
// Empty when the executable carries no version block.
std::string GetVersionText(bool full);
// The same, for the version block of another module file.
std::string GetVersionTextOf(const std::string& modulePath, bool full);

// A string value under `root\keyPath`, opened for full access; "" when the key cannot be
// opened or the value is missing or empty. Raises KorvelError "Invalid data type for
// '<value>'" for a value that is not a string.
std::string GetRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName);

// The path of the running executable, as Windows-1251 text.
std::string ModuleFileName();

}  // namespace korvel
