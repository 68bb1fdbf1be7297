#include "base/registry_win.h"

#include <vector>

#include "base/errors.h"
#include "base/text_win.h"

namespace korvel {

namespace {
enum class Lookup { Missing, Found, WrongType };

Lookup QueryString(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view,
                   std::wstring& text) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
    return Lookup::Missing;
  DWORD type = 0, size = 0;
  Lookup result = Lookup::Missing;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    result = type == REG_SZ || type == REG_EXPAND_SZ ? Lookup::Found : Lookup::WrongType;
    if (result == Lookup::Found) {
      std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
      DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
      if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                           &got) == ERROR_SUCCESS)
        text.assign(buf.data());  // up to the first zero character
    }
  }
  RegCloseKey(key);
  return result;
}
}  // namespace

std::string GetRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName) {
  const std::wstring path = Widen(keyPath), name = Widen(valueName);
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    std::wstring text;
    switch (QueryString(root, path, name, view, text)) {
      case Lookup::Missing:
        continue;
      case Lookup::WrongType:
        throw KorvelError("Invalid data type for '" + valueName + "'");
      case Lookup::Found:
        return Narrow(text);
    }
  }
  return {};
}

}  // namespace korvel
