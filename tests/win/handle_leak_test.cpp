// A file read or a registry read that runs out of memory part-way leaves no handle open.
// The allocation failure is made by this test program's own operator new; a handle left
// open shows as the slot the process would reuse being still taken.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "base/file_io.h"
#include "base/registry_win.h"
#include "base/text_win.h"
#include "tests/core/temp_dir.h"

namespace {
// The next allocation of at least this many bytes fails, once; 0 when none is to fail.
std::atomic<std::size_t> failFrom{0};
}  // namespace

void* operator new(std::size_t size) {
  std::size_t from = failFrom.load();
  if (from && size >= from && failFrom.compare_exchange_strong(from, 0)) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// The library's operator delete hands the memory to free(), as this one takes it from
// malloc().

namespace korvel {
namespace {

constexpr std::size_t kLarge = 256 * 1024;

// The value the process gives the next handle it opens. A handle that is opened and
// closed again frees its slot for the next one; a handle left open keeps it taken.
HANDLE NextHandleSlot() {
  HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(probe);
  return probe;
}

TEST(HandleLeaks, AFileReadThatRunsOutOfMemoryClosesTheFile) {
  TempDir dir;
  dir.Write("big.dat", std::string(4 * kLarge, 'x'));
  std::string whole;
  ASSERT_EQ(ReadWholeFile(dir.Path("big.dat"), whole), ReadStatus::Ok);  // the way is clear

  const HANDLE before = NextHandleSlot();
  failFrom = kLarge;
  std::string growing;  // grows as it is read into, so it asks for more memory part-way
  EXPECT_THROW(ReadWholeFile(dir.Path("big.dat"), growing), std::bad_alloc);
  failFrom = 0;
  EXPECT_EQ(NextHandleSlot(), before);
  EXPECT_TRUE(DeleteFileW(WidePath(dir.Path("big.dat")).c_str()));
}

TEST(HandleLeaks, ARegistryReadThatRunsOutOfMemoryClosesTheKey) {
  const wchar_t* path = L"Software\\KorvelTests\\HandleLeaks";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const std::wstring value(kLarge, L'x');
  RegSetValueExW(key, L"Big", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  // The first read opens and keeps the root keys the registry functions hold for good.
  ASSERT_EQ(
      GetRegistryString(HKEY_CURRENT_USER, "Software\\KorvelTests\\HandleLeaks", "Big").size(),
      kLarge);

  const HANDLE before = NextHandleSlot();
  failFrom = kLarge;
  EXPECT_THROW(GetRegistryString(HKEY_CURRENT_USER, "Software\\KorvelTests\\HandleLeaks", "Big"),
               std::bad_alloc);
  failFrom = 0;
  EXPECT_EQ(NextHandleSlot(), before);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KorvelTests");
}

}  // namespace
}  // namespace korvel
