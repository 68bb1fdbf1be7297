// The program's message box: the text, one OK button, no icon, the application title.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace korvel {

// The application title: "Korvel" until the main window sets the full title.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

void ShowMessage(const std::string& text);

// Tests catch message boxes here instead of showing them; pass nullptr to restore.
void SetMessageSinkForTests(std::function<void(const std::string&)> sink);

}  // namespace korvel
