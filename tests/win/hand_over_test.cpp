// Two real copies of Korvel.exe: the second hands its argument to the first and ends.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_win.h"
#include "res/resource.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

struct Process {
  PROCESS_INFORMATION pi{};
  bool started = false;

  Process(const std::wstring& exe, const std::wstring& args) {
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi);
  }
  ~Process() {
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  // The exit code, or STILL_ACTIVE when it has not ended within the timeout.
  DWORD Wait(DWORD ms = 15000) {
    WaitForSingleObject(pi.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
};

class HandOver : public ::testing::Test {
 protected:
  void SetUp() override {
    exe = WidePath(dir.Path("Korvel.exe"));
    ASSERT_TRUE(CopyFileW(KorvelExePath().c_str(), exe.c_str(), FALSE));
  }
  HWND WaitForMainWindow() {
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindWindowW(L"TKorvelForm", nullptr)) != nullptr; });
    return found;
  }
  TempDir dir;
  std::wstring exe;
};

}  // namespace

TEST_F(HandOver, SecondCopyHandsItsArgumentToTheFirstAndEnds) {
  ASSERT_EQ(FindWindowW(L"TKorvelForm", nullptr), nullptr) << "another copy is running";
  Process first(exe, L"PC7");
  ASSERT_TRUE(first.started);
  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  // The window exists a moment before its controls and the first hand-over.
  HWND recipient = nullptr;
  EXPECT_TRUE(PumpUntil([&] {
    recipient = GetDlgItem(main, IDC_ED_RECIPIENT);
    return recipient && TextOf(recipient) == L"PC7";
  }));

  ShowWindow(main, SW_MINIMIZE);
  {
    Process second(exe, L"\"ivanov petrov\" second");
    EXPECT_EQ(second.Wait(), 0u);
  }
  EXPECT_EQ(TextOf(recipient), L"ivanov petrov");
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));
  {
    Process third(exe, L"");
    EXPECT_EQ(third.Wait(), 0u);
  }
  EXPECT_EQ(TextOf(recipient), L"ivanov petrov");
  {
    Process cyrillic(exe, L"\u041f\u041a-\u0431\u0443\u0445");  // ПК-бух
    EXPECT_EQ(cyrillic.Wait(), 0u);
  }
  EXPECT_EQ(TextOf(recipient), L"\u041f\u041a-\u0431\u0443\u0445");

  // Only the running copy writes its settings, and only when it ends.
  EXPECT_FALSE(dir.Exists("Korvel.ini"));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.Wait(), 0u);
  EXPECT_TRUE(dir.Exists("Korvel.ini"));
}
