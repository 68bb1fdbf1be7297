#include "base/version_text.h"

#include "base/text.h"

namespace korvel {

std::string TranslationName(uint16_t language, uint16_t codePage) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (uint16_t word : {language, codePage})
    for (int shift = 12; shift >= 0; shift -= 4) s += kHex[(word >> shift) & 0xF];
  return s;
}

std::string FullVersionText(const std::string& productName, const std::string& fileVersion) {
  return productName + " " + fileVersion;
}

std::string ShortVersionText(const std::string& productName, const std::string& fileVersion) {
  std::string v = fileVersion;
  size_t dot = v.rfind('.');
  if (dot != std::string::npos) v.erase(dot);
  dot = v.rfind('.');
  std::string last = dot == std::string::npos ? v : v.substr(dot + 1);
  int n;
  if (dot != std::string::npos && ParseInt(last, n) && n == 0) v.erase(dot);
  return v.empty() ? productName : productName + " " + v;
}

std::string TitleText(const std::string& shortVersion, const std::string& maker,
                      const std::string& host) {
  return shortVersion + " \x97 " + maker + ": " + host;
}

}  // namespace korvel
