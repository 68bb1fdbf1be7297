// Code page 866, the OEM code page of a Russian system: what names and texts are on the wire.
// Converted by the program's own table, so the result never depends on the process's code page.
#pragma once

#include <string>
#include <string_view>

namespace korvel::wire {

// UTF-16 to 866, one byte per character. A character 866 has no place for gets a readable
// stand-in where there is one ("—" "-", "«" '"', "…" "...", "€" "EUR", "Ј" "J", "Љ" "Lj"; the
// soft hyphen is dropped), else '?'; an unpaired surrogate is '?' too. `exact`, when given, is
// set to whether every character had its own place.
std::string Oem866FromUtf16(std::u16string_view text, bool* exact = nullptr);
std::u16string Utf16FromOem866(std::string_view oem);

// Upper case as NetBIOS names are compared: Latin and Cyrillic letters ("ё" to "Ё").
std::u16string UpperName(std::u16string_view name);

}  // namespace korvel::wire
