// The boundary between the program's text and the wide Win32 API. Texts are
// Windows-1251; paths are UTF-8, so a folder such as "Jürgen" or "Ελένη" is reached
// whatever letters it holds.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korvel {

constexpr UINT kCodePage = 1251;

std::wstring Widen(std::string_view cp1251);
std::string Narrow(std::wstring_view wide);

std::wstring WidePath(std::string_view utf8);
std::string Utf8Path(std::wstring_view wide);

std::string GetWindowText1251(HWND hwnd);
void SetWindowText1251(HWND hwnd, const std::string& text);

}  // namespace korvel
