#include "app/defaults_win.h"

#include <vector>

#include "app/errors.h"
#include "app/text_win.h"
#include "app/version_text.h"

namespace korvel {

std::string ModuleFileName() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) return Narrow(std::wstring_view(buf.data(), n));
    buf.resize(buf.size() * 2);
  }
}

namespace {
std::wstring QueryString(const std::vector<char>& block, const std::wstring& path) {
  void* value = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &len) || !value) return {};
  std::wstring s(static_cast<const wchar_t*>(value), len);
  size_t nul = s.find(L'\0');
  return nul == std::wstring::npos ? s : s.substr(0, nul);
}
}  // namespace

std::string GetVersionTextOf(const std::string& modulePath, bool full) {
  std::wstring path = Widen(modulePath);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};

  std::wstring translation;
  void* value = nullptr;
  UINT len = 0;
  if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &len) && len >= 4) {
    auto* words = static_cast<const WORD*>(value);
    translation = Widen(TranslationName(words[0], words[1]));
  }
  std::string fileVersion =
      Narrow(QueryString(block, L"StringFileInfo\\" + translation + L"\\FileVersion"));
  std::string product =
      Narrow(QueryString(block, L"StringFileInfo\\" + translation + L"\\ProductName"));
  if (product.size() > 255) product.resize(255);
  return full ? FullVersionText(product, fileVersion) : ShortVersionText(product, fileVersion);
}

std::string GetVersionText(bool full) { return GetVersionTextOf(ModuleFileName(), full); }

std::string GetRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, Widen(keyPath).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return {};
  std::wstring name = Widen(valueName);
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  std::wstring text;
  if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                         &got) == ERROR_SUCCESS)
      text.assign(buf.data());  // up to the first zero character
  }
  RegCloseKey(key);
  if (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
    throw KorvelError("Invalid data type for '" + valueName + "'");
  return Narrow(text);
}

}  // namespace korvel
