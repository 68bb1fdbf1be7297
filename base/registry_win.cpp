#include "base/registry_win.h"

#include <vector>

#include "base/handles_win.h"
#include "base/text_win.h"

namespace korvel {

namespace {

// True when the value is a string; `text` is then what it holds.
bool QueryString(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view,
                 std::wstring& text) {
  RegKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, key.Put()) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = 0;
  bool found =
      RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ);
  if (found) {
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    // The second read checks the type again: the value may have changed in between.
    found = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                             &got) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
    if (found) text.assign(buf.data());  // up to the first zero character
  }
  return found;
}
}  // namespace

std::string GetRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName) {
  const std::wstring path = Widen(keyPath), name = Widen(valueName);
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    std::wstring text;
    if (QueryString(root, path, name, view, text)) return Narrow(text);
  }
  return {};
}

}  // namespace korvel
