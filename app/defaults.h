// Program-wide values shared by every part of the program, and the string table's names.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace korvel {

enum StringId : unsigned {
#define X(name, number, text) name = number,
#include "res/strings.def"
#undef X
};

// The string table entry `id` as Windows-1251 text ("" for an unknown id).
std::string LoadStr(unsigned id);

// Values read from the settings file at start and written back at exit.
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

struct ProgramValues : Settings {
  std::string ScannerFolder;
  // 1 while a send job runs; raised by the UI thread, lowered by the job.
  std::atomic<uint8_t> SendInProgress{0};
};

extern ProgramValues gApp;

}  // namespace korvel
