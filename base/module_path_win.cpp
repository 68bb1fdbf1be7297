#include "base/module_path_win.h"

#include <vector>

#include "base/text_win.h"

namespace korvel {

std::string ModulePath(HMODULE module) {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) return Utf8Path(std::wstring_view(buf.data(), n));
    buf.resize(buf.size() * 2);
  }
}

}  // namespace korvel
