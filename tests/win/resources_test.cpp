// The string table and version block, read back from the built Korvel.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "base/string_table.h"
#include "base/text.h"
#include "base/text_win.h"
#include "base/version_text.h"
#include "base/version_win.h"
#include "res/version.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

struct Module {
  HMODULE h = LoadLibraryExW(KorvelExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ~Module() {
    if (h) FreeLibrary(h);
  }
};

std::string StringOf(HMODULE m, unsigned id) {
  const wchar_t* text = nullptr;
  int len = LoadStringW(m, id, reinterpret_cast<LPWSTR>(&text), 0);
  return len > 0 ? Narrow(std::wstring_view(text, static_cast<size_t>(len))) : "<none>";
}

}  // namespace

TEST(Resources, TheStringTableHoldsEveryEntryOfTheListAndTheLatinLettersStay) {
  Module m;
  ASSERT_NE(m.h, nullptr);
  int entries = 0;
#define X(name, number, text)                                      \
  EXPECT_EQ(StringOf(m.h, number), Cp1251FromUtf8(text)) << #name; \
  EXPECT_EQ(LoadStr(number), Cp1251FromUtf8(text)) << #name;       \
  ++entries;
#include "res/strings.def"
#undef X
  EXPECT_EQ(entries, 25);
  // Russian words spelled with a Latin letter inside: "Выбeрите" (a Latin e) and
  // "Cообщение" (a Latin C), byte for byte.
  EXPECT_EQ(StringOf(m.h, IDS_SELECT_COMPUTER).substr(0, 8),
            "\xC2\xFB\xE1"
            "e"
            "\xF0\xE8\xF2\xE5");
  EXPECT_EQ(StringOf(m.h, IDS_SELECT_GROUP).substr(0, 8),
            "\xC2\xFB\xE1"
            "e"
            "\xF0\xE8\xF2\xE5");
  EXPECT_EQ(StringOf(m.h, IDS_LOG_MESSAGE), "C\xEE\xEE\xE1\xF9\xE5\xED\xE8\xE5 ");

  // The addresses are ours to choose, in the forms the program builds on.
  EXPECT_EQ(StringOf(m.h, 65219).rfind("mailto:", 0), 0u);
  EXPECT_EQ(StringOf(m.h, 65220).rfind("http", 0), 0u);
  std::string host = StringOf(m.h, 65221);
  EXPECT_EQ(host.find("://"), std::string::npos);
  EXPECT_NE(host.find('.'), std::string::npos);
  std::string forum = StringOf(m.h, 65223);
  EXPECT_EQ(forum.rfind("http", 0), 0u);
  EXPECT_EQ(forum.substr(forum.size() - 6), "/forum");
  EXPECT_EQ(StringOf(m.h, 65224).rfind("http", 0), 0u);
  for (unsigned id = 65212; id <= 65218; ++id) EXPECT_EQ(StringOf(m.h, id), "<none>") << id;
}

TEST(Resources, VersionBlockIsRussian1251WithTheProductVersion) {
  std::wstring path = KorvelExePath();
  DWORD ignored = 0, size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

  void* value = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &len));
  ASSERT_EQ(len, 4u);
  EXPECT_EQ(static_cast<WORD*>(value)[0], 0x0419);
  EXPECT_EQ(static_cast<WORD*>(value)[1], 0x04E3);

  auto query = [&](const wchar_t* name) {
    std::wstring key = std::wstring(L"\\StringFileInfo\\041904E3\\") + name;
    void* v = nullptr;
    UINT n = 0;
    if (!VerQueryValueW(block.data(), key.c_str(), &v, &n)) return std::wstring(L"<none>");
    return std::wstring(static_cast<wchar_t*>(v));
  };
  EXPECT_EQ(query(L"FileVersion"), Widen(KORVEL_FILE_VERSION_TEXT));
  EXPECT_EQ(query(L"ProductName"), L"Korvel");
  EXPECT_EQ(query(L"FileDescription"), L"Korvel");

  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &len));
  auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(KORVEL_VERSION_MINOR, KORVEL_VERSION_MAJOR));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(KORVEL_VERSION_BUILD, KORVEL_VERSION_PATCH));

  EXPECT_EQ(GetVersionTextOf(Utf8Path(path), false),
            ShortVersionText("Korvel", KORVEL_FILE_VERSION_TEXT));
  EXPECT_EQ(GetVersionTextOf(Utf8Path(path), true), "Korvel " KORVEL_FILE_VERSION_TEXT);
}

TEST(Resources, ExecutableCarriesTheCommonControlsManifest) {
  Module m;
  HRSRC r = FindResourceW(m.h, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(r, nullptr);
  std::string manifest(static_cast<const char*>(LockResource(LoadResource(m.h, r))),
                       SizeofResource(m.h, r));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  // The program's own identity carries the version it was built as.
  EXPECT_NE(manifest.find("version=\"" KORVEL_FILE_VERSION_TEXT "\""), std::string::npos);
}

TEST(Resources, ModuleWithoutVersionBlockGivesEmptyText) {
  EXPECT_EQ(GetVersionTextOf("Z:\\no\\such\\file.exe", false), "");
}
