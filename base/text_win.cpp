#include "base/text_win.h"

#include <vector>

namespace korvel {

namespace {
std::wstring ToWide(UINT codePage, std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string FromWide(UINT codePage, std::wstring_view w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}
}  // namespace

std::wstring Widen(std::string_view s) { return ToWide(kCodePage, s); }
std::string Narrow(std::wstring_view w) { return FromWide(kCodePage, w); }
std::wstring WidePath(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string Utf8Path(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

std::string GetWindowText1251(HWND hwnd) {
  int len = GetWindowTextLengthW(hwnd);
  std::vector<wchar_t> buf(static_cast<size_t>(len) + 1);
  int got = GetWindowTextW(hwnd, buf.data(), len + 1);
  return Narrow(std::wstring_view(buf.data(), static_cast<size_t>(got)));
}

void SetWindowText1251(HWND hwnd, const std::string& text) {
  SetWindowTextW(hwnd, Widen(text).c_str());
}

}  // namespace korvel
