// Korvel.exe as a user has it: started with a recipient, a message typed into its window and
// sent with Ctrl+Enter, to a real receiver (Samba's smbd on a loopback address of its own,
// started by CTest); what arrived is checked byte for byte and the log's line read back.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "tests/core/temp_dir.h"

using namespace korvel;
using namespace std::chrono_literals;

namespace {

std::wstring Wide(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::wstring KorvelExe() {
  wchar_t self[MAX_PATH];
  std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  path.erase(path.find_last_of(L'\\'));  // the tests folder
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"Korvel.exe";
}

template <typename Done>
bool WaitFor(Done done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

std::wstring TextOf(HWND window) {
  wchar_t buf[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
  return buf;
}

void Keys(std::vector<INPUT> keys) {
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  std::this_thread::sleep_for(100ms);
}

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

// Types text the way an input method does: one character at a time, whatever the layout.
void Type(const std::wstring& text) {
  std::vector<INPUT> keys;
  for (wchar_t c : text)
    for (bool up : {false, true}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = c;
      in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      keys.push_back(in);
    }
  Keys(keys);
}

void ClickInto(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  INPUT in[3] = {};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = (r.left + r.right) / 2 * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    i.mi.dy = (r.top + r.bottom) / 2 * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  SendInput(3, in, sizeof(INPUT));
  std::this_thread::sleep_for(200ms);
}

// A line of a list view in another process: the request and its answer live there.
std::wstring ListText(HANDLE process, HWND list, int item, int column) {
  struct Request {
    LVITEMW item;
    wchar_t text[512];
  };
  auto* remote = static_cast<Request*>(
      VirtualAllocEx(process, nullptr, sizeof(Request), MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return {};
  Request local{};
  local.item.iSubItem = column;
  local.item.cchTextMax = 512;
  local.item.pszText = remote->text;
  WriteProcessMemory(process, remote, &local, sizeof local, nullptr);
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, &local, sizeof local, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return local.text;
}

std::vector<std::filesystem::path> Messages(const std::filesystem::path& inbox) {
  std::vector<std::filesystem::path> found;
  for (const auto& e : std::filesystem::directory_iterator(inbox))
    if (e.path().extension() == ".txt" && e.path().filename().string()[0] != '.')
      found.push_back(e.path());
  return found;
}

}  // namespace

TEST(SendEndToEnd, AMessageTypedIntoTheWindowArrivesAndTheLogSaysSo) {
  const char* address = std::getenv("KORVEL_RECEIVER");
  const char* inboxText = std::getenv("KORVEL_RECEIVER_INBOX");
  if (!address || !inboxText) GTEST_SKIP() << "no receiver: run through ctest";
  const std::filesystem::path inbox(Wide(inboxText));
  const size_t before = Messages(inbox).size();

  // A user's folder: the program, and settings that send under the typed sender without
  // asking the network whether the name is taken (no query leaves the loopback).
  TempDir dir;
  const std::wstring exe = Wide(dir.Path("Korvel.exe"));
  ASSERT_TRUE(CopyFileW(KorvelExe().c_str(), exe.c_str(), FALSE));
  dir.Write("Korvel.ini", "[Defaults]\r\nPatchInstalled=0\r\n[Sender]\r\nSender1=tester\r\n");

  std::wstring command = L"\"" + exe + L"\" " + Wide(address);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi));
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        main = FindWindowW(L"TKorvelForm", nullptr);
        return main && IsWindowVisible(main);
      },
      15s));
  HWND recipient = GetDlgItem(main, IDC_ED_RECIPIENT);
  HWND message = GetDlgItem(main, IDC_M_MESSAGE);
  HWND log = GetDlgItem(main, IDC_LV_LOG);
  EXPECT_TRUE(WaitFor([&] { return TextOf(recipient) == Wide(address); }, 5s))
      << "the argument is the recipient";

  SetForegroundWindow(main);
  ClickInto(message);
  Type(L"Привет из Korvel");
  Keys({Key(VK_RETURN, false), Key(VK_RETURN, true)});
  Type(L"вторая строка");
  Keys(
      {Key(VK_CONTROL, false), Key(VK_RETURN, false), Key(VK_RETURN, true), Key(VK_CONTROL, true)});

  std::filesystem::path arrived;
  ASSERT_TRUE(WaitFor(
      [&] {
        auto all = Messages(inbox);
        if (all.size() <= before) return false;
        std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
          return std::filesystem::last_write_time(a) < std::filesystem::last_write_time(b);
        });
        arrived = all.back();
        return true;
      },
      20s))
      << "nothing arrived";
  std::ifstream in(arrived, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  // The receiver writes UTF-8 and turns CR LF into LF.
  EXPECT_EQ(text.str(), "Привет из Korvel\nвторая строка");
  EXPECT_NE(arrived.filename().string().find("_tester_"), std::string::npos)
      << arrived.filename().string();

  std::wstring line;
  EXPECT_TRUE(WaitFor(
      [&] {
        line = ListText(pi.hProcess, log, 0, 1);
        return !line.empty();
      },
      10s));
  // "Cообщение" begins with a Latin C.
  EXPECT_EQ(line,
            L"C"
            L"ообщение " +
                Wide(address) + L" отправлено");

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}
