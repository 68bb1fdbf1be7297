// The product's version text and the main window's title.
#pragma once

#include <cstdint>
#include <string>

namespace korvel {

// "041904E3" for language 0x0419 and code page 1251.
std::string TranslationName(uint16_t language, uint16_t codePage);

// "Korvel 1.3.0.27".
std::string FullVersionText(const std::string& productName, const std::string& fileVersion);

// Drops the last number of the file version, and the one before it too when that is 0:
// 1.3.0.27 gives "Korvel 1.3", 2.0.1.5 gives "Korvel 2.0.1". A number that is not a
// decimal integer counts as non-zero; an empty version gives the product name alone.
std::string ShortVersionText(const std::string& productName, const std::string& fileVersion);

// "<short version> — <maker>: <maker's host>" in Windows-1251 (the dash is byte 0x97).
std::string TitleText(const std::string& shortVersion, const std::string& maker,
                      const std::string& host);

}  // namespace korvel
