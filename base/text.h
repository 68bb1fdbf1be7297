// Small helpers for the program's single-byte Windows-1251 text.
#pragma once

#include <string>
#include <string_view>

namespace korvel {

// Removes leading and trailing characters of code 32 or less.
std::string Trim(std::string_view s);

// Case-insensitive equality for Windows-1251 text (Latin and Cyrillic letters).
bool EqualsNoCase(std::string_view a, std::string_view b);
char LowerCp1251(char c);

// Reads a whole decimal integer: optional sign and decimal digits, nothing else,
// within the range of a 32-bit int. Returns false for anything else.
bool ParseInt(std::string_view s, int& out);

std::string IntToStr(long long v);

// Conversions between UTF-8 and Windows-1251. Characters that 1251 cannot hold
// become '?'; malformed UTF-8 bytes become '?' as well.
std::string Cp1251FromUtf8(std::string_view utf8);
std::string Utf8FromCp1251(std::string_view cp1251);
// The same between UTF-16 and Windows-1251, one character for one byte: the byte 0x98,
// which 1251 leaves undefined, is U+0098 as Windows has it; surrogates become '?'.
std::u16string Utf16FromCp1251(std::string_view cp1251);
std::string Cp1251FromUtf16(std::u16string_view utf16);

// Replaces the extension of the file name at the end of `path` (or appends one).
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// The folder of `path` including its trailing separator ("C:\Tools\" for "C:\Tools\Korvel.exe").
std::string ExtractFilePath(std::string_view path);

}  // namespace korvel
