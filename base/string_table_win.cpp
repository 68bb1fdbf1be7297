// The string table from the program's resources.
#include <windows.h>

#include "base/string_table.h"
#include "base/text_win.h"

namespace korvel {

std::string LoadStr(unsigned id) {
  const wchar_t* text = nullptr;
  int len = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return len > 0 ? Narrow(std::wstring_view(text, static_cast<size_t>(len))) : std::string();
}

}  // namespace korvel
