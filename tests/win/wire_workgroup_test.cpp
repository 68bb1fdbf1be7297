// "*" is this computer's own workgroup: what the system says it belongs to.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "sending/transport_win.h"

using namespace korvel;

namespace {

constexpr const wchar_t* kWineNetwork = L"System\\CurrentControlSet\\Services\\VxD\\VNETSUP";

// Wine's own setting for the workgroup, set for one test and put back after it.
class WineWorkgroup {
 public:
  explicit WineWorkgroup(const std::wstring& group) {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWineNetwork, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof saved_;
    had_ = RegQueryValueExW(key_, L"Workgroup", nullptr, nullptr, reinterpret_cast<BYTE*>(saved_),
                            &size) == ERROR_SUCCESS;
    Set(group.c_str());
  }
  ~WineWorkgroup() {
    if (had_)
      Set(saved_);
    else
      RegDeleteValueW(key_, L"Workgroup");
    RegCloseKey(key_);
  }

 private:
  void Set(const wchar_t* group) {
    RegSetValueExW(key_, L"Workgroup", 0, REG_SZ, reinterpret_cast<const BYTE*>(group),
                   static_cast<DWORD>((wcslen(group) + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  bool had_ = false;
  wchar_t saved_[64] = {};
};

}  // namespace

// Wine's workstation service names the computer itself as its workgroup; the workgroup Wine
// is set to is what "*" must reach, never a group of one.
TEST(OwnWorkgroup, IsTheWorkgroupTheSystemIsSetToNotTheComputersName) {
  WineWorkgroup set(L"BUHGALTERIA");
  EXPECT_EQ(OwnWorkgroup(), std::optional<std::u16string>(u"BUHGALTERIA"));
}
