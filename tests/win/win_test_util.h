// Helpers for tests that drive real windows under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form_win.h"
#include "base/message_box_win.h"
#include "tests/core/temp_dir.h"

namespace korvel::test {

// What a screen reader gets for `window` (or its line `child`, 1 for the first) through the
// system's accessibility layer: its name or its description; empty when the layer gives none.
enum class Accessible { kName, kDescription };
std::wstring AccessibleText(HWND window, Accessible what, LONG child = 0);

// Handles whatever is queued for this thread.
void Pump();

// Pumps until `done` is true or `timeout` has passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Runs `act` on the next dialog box (a "#32770" window) this thread opens, from inside
// the dialog's own modal loop, once it is visible. One watch at a time.
void WhenDialogOpens(std::function<void(HWND dialog)> act);

// The dialog boxes of this thread that are visible now.
std::vector<HWND> OpenDialogs();

// Text of a window of this or another process (WM_GETTEXT is marshalled).
std::wstring TextOf(HWND hwnd);

// The Korvel.exe built beside the tests.
std::wstring KorvelExePath();

// Bytes of UTF-8 text as the program holds them (Windows-1251).
std::string Cp(const char* utf8);

// The scanner's registry value under HKEY_LOCAL_MACHINE "SoftWare\Brenholt", in one
// registry view (a 32-bit installer writes the 32-bit one); removed again afterwards.
class ScannerKey {
 public:
  explicit ScannerKey(REGSAM view = KEY_WOW64_64KEY);
  ~ScannerKey();
  ScannerKey(const ScannerKey&) = delete;
  ScannerKey& operator=(const ScannerKey&) = delete;
  void Set(const std::wstring& folder);
  HKEY key = nullptr;

 private:
  REGSAM view_;
};

// A main window of its own in a temporary folder, with message boxes collected.
class FormFixture {
 public:
  FormFixture();
  ~FormFixture();

  // Creates the form, as the program does, with "<dir>\Korvel.exe" as its executable.
  TKorvelForm& Create();
  // Closes the form the way the user does and destroys it.
  void Close();

  TempDir dir;
  std::string exe;
  FormServices services;
  std::unique_ptr<TKorvelForm> form;
  std::vector<std::string> messages;
};

}  // namespace korvel::test
