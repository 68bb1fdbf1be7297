// The 866 table, and the stand-ins for what 866 cannot hold.
#include "sending/oem866.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <utility>

namespace korvel::wire {

namespace {

// What the bytes 0x80..0xFF stand for; 0x00..0x7F are ASCII.
constexpr std::array<char16_t, 128> kHigh = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  //
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  //
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  //
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  //
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  //
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  //
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  //
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  //
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  //
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  //
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  //
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  //
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,  //
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

// Characters that Windows-1251 texts carry and 866 has no place for, each with what a reader
// takes for it: a Latin look-alike or the usual Latin spelling for the Serbian and Macedonian
// letters, the usual ASCII for signs. The soft hyphen, invisible where it stands, is dropped.
// Anything else becomes '?' (§, ¶, ¬ have no stand-in a reader would take for them).
constexpr std::pair<char16_t, std::string_view> kStandIns[] = {
    {0x00A6, "|"},  {0x00A9, "(c)"}, {0x00AB, "\""},   {0x00AD, ""},     {0x00AE, "(R)"},
    {0x00B1, "+-"}, {0x00B5, "u"},   {0x00BB, "\""},   {0x0402, "Dj"},   {0x0403, "Gj"},
    {0x0405, "S"},  {0x0406, "I"},   {0x0408, "J"},    {0x0409, "Lj"},   {0x040A, "Nj"},
    {0x040B, "C"},  {0x040C, "Kj"},  {0x040F, "Dz"},   {0x0452, "dj"},   {0x0453, "gj"},
    {0x0455, "s"},  {0x0456, "i"},   {0x0458, "j"},    {0x0459, "lj"},   {0x045A, "nj"},
    {0x045B, "c"},  {0x045C, "kj"},  {0x045F, "dz"},   {0x0490, "\x83"}, {0x0491, "\xA3"},
    {0x2012, "-"},  {0x2013, "-"},   {0x2014, "-"},    {0x2015, "-"},    {0x2018, "'"},
    {0x2019, "'"},  {0x201A, "'"},   {0x201C, "\""},   {0x201D, "\""},   {0x201E, "\""},
    {0x2020, "+"},  {0x2021, "+"},   {0x2022, "\xF9"}, {0x2026, "..."},  {0x2030, "0/00"},
    {0x2039, "<"},  {0x203A, ">"},   {0x20AC, "EUR"},  {0x2122, "TM"},   {0x2212, "-"},
};

static_assert(std::is_sorted(std::begin(kStandIns), std::end(kStandIns),
                             [](const auto& a, const auto& b) { return a.first < b.first; }));

// Inverse of kHigh, sorted by character, built once.
struct Reverse {
  std::array<std::pair<char16_t, uint8_t>, 128> entries;
  Reverse() {
    for (size_t i = 0; i < 128; ++i) entries[i] = {kHigh[i], static_cast<uint8_t>(0x80 + i)};
    std::sort(entries.begin(), entries.end());
  }
};

}  // namespace

std::string Oem866FromUtf16(std::u16string_view text, bool* exact) {
  static const Reverse reverse;
  std::string out;
  out.reserve(text.size());
  bool allExact = true;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    auto it = std::lower_bound(reverse.entries.begin(), reverse.entries.end(),
                               std::pair<char16_t, uint8_t>{c, 0});
    if (it != reverse.entries.end() && it->first == c) {
      out += static_cast<char>(it->second);
      continue;
    }
    allExact = false;
    auto standIn = std::lower_bound(std::begin(kStandIns), std::end(kStandIns), c,
                                    [](const auto& e, char16_t v) { return e.first < v; });
    if (standIn != std::end(kStandIns) && standIn->first == c) {
      out += standIn->second;
      continue;
    }
    // A pair of surrogates is one character, and one '?'.
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000)
      ++i;
    out += '?';
  }
  if (exact) *exact = allExact;
  return out;
}

std::u16string Utf16FromOem866(std::string_view oem) {
  std::u16string out;
  out.reserve(oem.size());
  for (char ch : oem) {
    auto b = static_cast<uint8_t>(ch);
    out += b < 0x80 ? char16_t{b} : kHigh[b - 0x80u];
  }
  return out;
}

std::u16string UpperName(std::u16string_view name) {
  std::u16string out(name);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z')
      c = static_cast<char16_t>(c - 0x20);
    else if (c >= 0x0430 && c <= 0x044F)
      c = static_cast<char16_t>(c - 0x20);
    else if (c >= 0x0450 && c <= 0x045F)
      c = static_cast<char16_t>(c - 0x50);
    else if (c == 0x0491)
      c = 0x0490;
  }
  return out;
}

}  // namespace korvel::wire
