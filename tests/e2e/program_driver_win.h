// Driving Korvel.exe from outside, as a user does: the program started from a folder of its
// own, keys typed into its window, its log read back across the process boundary.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace korvel::drive {

std::wstring Wide(const std::string& utf8);

// Korvel.exe beside the folder of the running test program.
std::wstring KorvelExe();

template <typename Done>
bool WaitFor(Done done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

std::wstring TextOf(HWND window);

INPUT Key(WORD vk, bool up);
void Keys(std::vector<INPUT> keys);
// Types text the way an input method does: one character at a time, whatever the layout.
void Type(const std::wstring& text);
void CtrlEnter();
void ClickInto(HWND control);

// A line of a list view in another process: the request and its answer live there.
std::wstring ListText(HANDLE process, HWND list, int item, int column);

// Korvel.exe copied to `exe` (in a folder of the test's own, beside its settings) and started
// there with `argument`; its main window once it shows. Closed (WM_CLOSE, then waited for) by
// the destructor.
class RunningKorvel {
 public:
  RunningKorvel(const std::wstring& exe, const std::wstring& argument);
  ~RunningKorvel();
  RunningKorvel(const RunningKorvel&) = delete;
  RunningKorvel& operator=(const RunningKorvel&) = delete;

  bool Started() const { return main_ != nullptr; }
  HWND Main() const { return main_; }
  HWND Control(int id) const { return GetDlgItem(main_, id); }
  HANDLE Process() const { return process_.hProcess; }
  // Every line of the log's information column, top first.
  std::vector<std::wstring> LogLines() const;
  // Closes the window and waits for the process; true when it ended in time.
  bool Close();

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

}  // namespace korvel::drive
