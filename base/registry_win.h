// Reading a string value from the registry.
#pragma once

#include <windows.h>

#include <string>

namespace korvel {

// A string value under `root\keyPath` (Windows-1251 names), or "" when the key or the
// value is missing or empty. The key is opened for reading only, so a standard user
// reads values under HKEY_LOCAL_MACHINE too. The 32-bit view is asked first, where
// 32-bit installers write, then the 64-bit one; the first view that holds a string
// decides. A value of another type holds no text: it reads as a missing one, so that a
// stray number in the registry never stops a start-up.
std::string GetRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName);

}  // namespace korvel
