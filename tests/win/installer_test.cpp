// The installer, as a user meets it: a silent install into a folder of the user's, the
// installed program started from elsewhere finds its manual with F1, and a silent
// uninstall removes the program but keeps the user's address book and settings.
// Runs when KORVEL_SETUP names an installer (tests/installer_test.sh builds one).
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "base/text.h"
#include "base/text_win.h"
#include "tests/core/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

template <typename Fn>
bool WaitFor(Fn done, std::chrono::milliseconds timeout = 20s) {
  for (auto end = std::chrono::steady_clock::now() + timeout; !done();) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

// Starts `commandLine` in `folder` and returns its process handle (the caller closes it).
HANDLE Start(std::wstring commandLine, const fs::path& folder) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

DWORD RunToEnd(const std::wstring& commandLine, const fs::path& folder) {
  HANDLE process = Start(commandLine, folder);
  if (!process) return 0xFFFFFFFF;
  WaitForSingleObject(process, 60000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return code;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

HWND MainWindowOf(DWORD processId) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{processId, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[32] = {};
        GetClassNameW(hwnd, cls, 32);
        if (pid != s->pid || std::wstring(cls) != L"TKorvelForm") return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// While it lives, the shell opens .htm files with a command that writes the opened
// path into a file, so the test sees what the program asked the shell to open.
class RecordedDocuments {
 public:
  explicit RecordedDocuments(const fs::path& record) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.htm", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    wchar_t old[256] = {};
    DWORD size = sizeof old;
    if (RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
        ERROR_SUCCESS)
      previous_ = old;
    Set(key, nullptr, L"KorvelTest.Document");
    RegCloseKey(key);
    RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                    L"Software\\Classes\\KorvelTest.Document\\shell\\open\\command", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    Set(key, nullptr, L"C:\\windows\\system32\\cmd.exe /c echo %1>\"" + record.wstring() + L"\"");
    RegCloseKey(key);
  }
  ~RecordedDocuments() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.htm", 0, KEY_ALL_ACCESS, &key) ==
        ERROR_SUCCESS) {
      if (previous_.empty())
        RegDeleteValueW(key, nullptr);
      else
        Set(key, nullptr, previous_);
      RegCloseKey(key);
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KorvelTest.Document");
  }

 private:
  static void Set(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  std::wstring previous_;
};

fs::path StartMenuFolder() {
  wchar_t programs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
  return fs::path(programs) / L"Korvel";
}

bool UninstallEntryExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvel", 0, KEY_READ,
                    &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

TEST(Installer, InstallsRunsWithItsManualAndUninstallsKeepingTheAddressBook) {
  // Wide: the path may hold letters the ANSI code page has not.
  const wchar_t* setupVariable = _wgetenv(L"KORVEL_SETUP");
  if (!setupVariable || !*setupVariable) GTEST_SKIP() << "KORVEL_SETUP names no installer";
  const fs::path setup = setupVariable;
  ASSERT_TRUE(fs::exists(setup)) << Utf8Path(setup.wstring());

  TempDir temp;
  const fs::path install = fs::path(temp.Path("Korvel"));
  const fs::path elsewhere = fs::path(temp.Path("")).parent_path();

  // A silent install; /D must come last and unquoted.
  ASSERT_EQ(RunToEnd(L"\"" + setup.wstring() + L"\" /S /D=" + install.wstring(), elsewhere), 0u);
  for (const wchar_t* file :
       {L"Korvel.exe", L"HELP\\help.htm", L"HELP\\faq.htm", L"history.txt", L"Uninstall.exe"})
    EXPECT_TRUE(fs::exists(install / file)) << fs::path(file).string();
  EXPECT_TRUE(fs::exists(StartMenuFolder() / L"Korvel.lnk"));
  EXPECT_TRUE(UninstallEntryExists());

  // The user's address book, before the first start.
  const std::string book = Cp1251FromUtf8("0 0 Бухгалтерия\r\n1 2 PC7\r\n");
  std::ofstream(install / L"Korvel.dat", std::ios::binary) << book;

  {
    const fs::path record = elsewhere / L"opened.txt";
    RecordedDocuments documents(record);
    HANDLE program = Start(L"\"" + (install / L"Korvel.exe").wstring() + L"\"", elsewhere);
    ASSERT_NE(program, nullptr);
    HWND window = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (window = MainWindowOf(GetProcessId(program))) != nullptr; }));
    if (window) {
      PostMessageW(window, WM_KEYDOWN, VK_F1, 0x003B0001);
      PostMessageW(window, WM_KEYUP, VK_F1, 0xC03B0001);
      EXPECT_TRUE(WaitFor([&] { return fs::exists(record) && fs::file_size(record) > 0; }));
      std::string opened = ReadBytes(record);
      for (char& c : opened) c = LowerCp1251(c);
      const std::string manual = Narrow((install / L"HELP\\help.htm").wstring());
      std::string expected = manual;
      for (char& c : expected) c = LowerCp1251(c);
      EXPECT_NE(opened.find(expected), std::string::npos) << opened;
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(WaitForSingleObject(program, 20000), WAIT_OBJECT_0);
    CloseHandle(program);
  }
  EXPECT_EQ(ReadBytes(install / L"Korvel.dat"), book);
  EXPECT_TRUE(fs::exists(install / L"Korvel.ini"));

  // A silent uninstall runs a copy of itself and returns at once: wait for its work.
  ASSERT_EQ(RunToEnd(L"\"" + (install / L"Uninstall.exe").wstring() + L"\" /S", elsewhere), 0u);
  EXPECT_TRUE(WaitFor([&] { return !fs::exists(install / L"Uninstall.exe"); }));
  for (const wchar_t* file : {L"Korvel.exe", L"HELP", L"history.txt", L"Uninstall.exe"})
    EXPECT_FALSE(fs::exists(install / file)) << fs::path(file).string();
  EXPECT_FALSE(fs::exists(StartMenuFolder()));
  EXPECT_FALSE(UninstallEntryExists());
  EXPECT_EQ(ReadBytes(install / L"Korvel.dat"), book);
  EXPECT_TRUE(fs::exists(install / L"Korvel.ini"));
}

}  // namespace
}  // namespace korvel
