#include "base/text.h"

#include <array>
#include <charconv>
#include <climits>

namespace korvel {

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

char LowerCp1251(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDF) return static_cast<char>(u + 32);  // А..Я
  if (u == 0xA8) return static_cast<char>(0xB8);                 // Ё
  return c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerCp1251(a[i]) != LowerCp1251(b[i])) return false;
  return true;
}

bool ParseInt(std::string_view s, int& out) {
  if (s.empty()) return false;
  bool negative = false;
  size_t i = 0;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  if (i == s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

std::string IntToStr(long long v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

namespace {

// Unicode code points of the bytes 0x80..0xFF of Windows-1251 (0 where undefined).
constexpr std::array<char16_t, 128> kHigh1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B,
    0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433,
    0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B,
    0x044C, 0x044D, 0x044E, 0x044F};

char ByteFor(char32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  for (size_t i = 0; i < kHigh1251.size(); ++i)
    if (kHigh1251[i] != 0 && kHigh1251[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string Cp1251FromUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t extra = (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 0;
    char32_t cp = c & (0x3F >> extra);
    bool ok = extra > 0 && i + extra < s.size();
    for (size_t k = 1; ok && k <= extra; ++k) {
      auto cc = static_cast<unsigned char>(s[i + k]);
      ok = (cc & 0xC0) == 0x80;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    out += ByteFor(cp);
    i += 1 + extra;
  }
  return out;
}

std::string Utf8FromCp1251(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    char32_t cp = c < 0x80 ? c : kHigh1251[c - 0x80];
    AppendUtf8(out, cp ? cp : 0xFFFD);
  }
  return out;
}

std::u16string Utf16FromCp1251(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    char16_t cp = c < 0x80 ? c : kHigh1251[c - 0x80];
    out += cp ? cp : static_cast<char16_t>(c);
  }
  return out;
}

std::string Cp1251FromUtf16(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char16_t c : s) out += c == 0x98 ? '\x98' : ByteFor(c);
  return out;
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  size_t slash = path.find_last_of("\\/:");
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    dot = path.size();
  return std::string(path.substr(0, dot)) + std::string(ext);
}

std::string ExtractFilePath(std::string_view path) {
  size_t slash = path.find_last_of("\\/:");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

}  // namespace korvel
