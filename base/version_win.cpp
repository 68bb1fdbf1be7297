#include "base/version_win.h"

#include <windows.h>

#include <vector>

#include "base/module_path_win.h"
#include "base/text_win.h"
#include "base/version_text.h"

namespace korvel {

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
  std::wstring path = WidePath(modulePath);
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

std::string GetVersionText(bool full) { return GetVersionTextOf(ModulePath(), full); }

}  // namespace korvel
