// Reading and writing the settings file: the "Defaults" keys, the window geometry and
// the sender-name history.
#pragma once

#include <string>
#include <vector>

#include <cstdint>

#include "base/ini_file.h"

namespace korvel {

// The values read from the settings file at start and written back at exit. Paths are
// UTF-8; the file keeps them in Windows-1251.
struct Settings {
  int DeltaClear = 5;
  int MaxSender = 5;
  int MaxThreads = 50;
  int MaxLineLog = 300;
  bool PatchInstalled = true;
  uint8_t WhatSend = 1;
  std::string RecipientFile;
  // Derived from the executable's folder, never stored.
  std::string HelpFile;
  std::string FaqFile;
};

constexpr int kDesignedWidth = 404;
constexpr int kDesignedHeight = 492;

// "C:\Tools\Korvel.exe" keeps its settings in "C:\Tools\Korvel.ini".
std::string SettingsFileName(const std::string& exePath);

// Fills every setting from the file, with its default where a key is missing or bad,
// and derives the help, FAQ and default recipient file paths from `exePath` (UTF-8).
// An empty RecipientFile means the default path too.
void ReadSettings(const IniFile& ini, const std::string& exePath, Settings& out);

// Writes the "Defaults" keys in their fixed order. Every key is attempted even after a
// refused write; returns false if any was refused. A recipient file path that
// Windows-1251 cannot spell is the default one (the file could not have named it), and
// is written as the empty value, which reads back as the default.
bool WriteSettings(IniFile& ini, const Settings& s);

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

struct WindowGeometry {
  int left = 0;
  int top = 0;
  int width = kDesignedWidth;
  int height = kDesignedHeight;
};

// Position and size for creating the window; `designed` supplies the size defaults.
WindowGeometry ReadWindowPosition(const IniFile& ini, const WindowGeometry& designed);
// The stored state, or -1 for a value that names no state.
int ReadWindowState(const IniFile& ini);
// `Top` and `Left` only in the normal state; size and state always. Returns false if any
// write was refused (all are attempted).
bool WriteWindowGeometry(IniFile& ini, const WindowGeometry& g, WindowState state);

// The sender-name history: keys Sender1..Sender<maxSender>, empty values skipped.
std::vector<std::string> ReadSenderHistory(const IniFile& ini, int maxSender);
// Writes entry i to key Sender<i>; higher keys stay as they are.
bool WriteSenderHistory(IniFile& ini, const std::vector<std::string>& names);

}  // namespace korvel
