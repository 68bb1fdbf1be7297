// The boundary between the program's Windows-1251 text and the wide Win32 API.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korvel {

constexpr UINT kCodePage = 1251;

std::wstring Widen(std::string_view cp1251);
std::string Narrow(std::wstring_view wide);

std::string GetWindowText1251(HWND hwnd);
void SetWindowText1251(HWND hwnd, const std::string& text);

}  // namespace korvel
