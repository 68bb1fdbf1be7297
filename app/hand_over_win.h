// The hand-over between two copies of the program: WM_COPYDATA carrying the first
// command-line argument as Windows-1251 bytes without a terminator.
#pragma once

#include <windows.h>

#include <string>

namespace korvel {

// Sends `text` to `target`; waits until it has been handled (or the target is hung or
// gone). Returns false when the message could not be delivered.
bool SendHandOver(HWND target, HWND from, const std::string& text);

// The program's entry: hands over to a running copy, or runs the main window.
int RunProgram(const std::string& commandLine);

}  // namespace korvel
