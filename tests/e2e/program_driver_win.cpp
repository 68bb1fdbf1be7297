// Korvel.exe driven from outside: starting it, typing, reading its log.
#include "tests/e2e/program_driver_win.h"

#include <commctrl.h>

#include "res/resource.h"

namespace korvel::drive {

using namespace std::chrono_literals;

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

std::wstring TextOf(HWND window) {
  wchar_t buf[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
  return buf;
}

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

void Keys(std::vector<INPUT> keys) {
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  std::this_thread::sleep_for(100ms);
}

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

void CtrlEnter() {
  Keys(
      {Key(VK_CONTROL, false), Key(VK_RETURN, false), Key(VK_RETURN, true), Key(VK_CONTROL, true)});
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

RunningKorvel::RunningKorvel(const std::wstring& exe, const std::wstring& argument) {
  if (!CopyFileW(KorvelExe().c_str(), exe.c_str(), FALSE)) return;
  std::wstring command = L"\"" + exe + L"\" " + argument;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &process_))
    return;
  WaitFor(
      [&] {
        HWND found = FindWindowW(L"TKorvelForm", nullptr);
        if (found && IsWindowVisible(found)) main_ = found;
        return main_ != nullptr;
      },
      15s);
}

RunningKorvel::~RunningKorvel() {
  Close();
  if (process_.hThread) CloseHandle(process_.hThread);
  if (process_.hProcess) CloseHandle(process_.hProcess);
}

std::vector<std::wstring> RunningKorvel::LogLines() const {
  std::vector<std::wstring> lines;
  HWND log = Control(IDC_LV_LOG);
  const int count = static_cast<int>(SendMessageW(log, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) lines.push_back(ListText(process_.hProcess, log, i, 1));
  return lines;
}

bool RunningKorvel::Close() {
  if (!process_.hProcess) return true;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) return true;
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
  main_ = nullptr;
  if (WaitForSingleObject(process_.hProcess, 15000) == WAIT_OBJECT_0) return true;
  TerminateProcess(process_.hProcess, 1);
  return false;
}

}  // namespace korvel::drive
