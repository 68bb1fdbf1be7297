// Text on the wire is code page 866 whatever the process's code page is.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "base/text.h"
#include "sending/oem866.h"
#include "sending/socket.h"

using namespace korvel::wire;

#ifndef _WIN32
// The C library's own 866 table agrees with ours on every character it can convert, and every
// character it cannot is reported as not exact. (Natively only: Windows has no iconv.)
TEST(WireText, Oem866AgreesWithTheSystemTableOnEveryCharacter) {
  iconv_t cd = iconv_open("CP866", "UTF-16LE");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (uint32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char out[8];
    char* inp = in;
    char* outp = out;
    size_t inLeft = 2, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    bool converts = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1);
    bool exact = false;
    std::string ours = Oem866FromUtf16(std::u16string(1, static_cast<char16_t>(c)), &exact);
    if (converts) {
      ASSERT_TRUE(exact) << std::hex << c;
      ASSERT_EQ(ours, std::string(out, outp)) << std::hex << c;
      ASSERT_EQ(Utf16FromOem866(ours), std::u16string(1, static_cast<char16_t>(c)));
    } else {
      ASSERT_FALSE(exact) << std::hex << c;
      ASSERT_TRUE(!ours.empty() || c == 0xAD) << std::hex << c;  // the soft hyphen is dropped
    }
  }
  iconv_close(cd);
}
#endif

TEST(WireText, WhatWindows1251HasAnd866LacksGetsAStandIn) {
  bool exact = true;
  EXPECT_EQ(Oem866FromUtf16(u"«Ёлка» — №1…", &exact),
            "\"\xF0\xAB\xAA\xA0\" - \xFC"
            "1...");
  EXPECT_FALSE(exact);
  EXPECT_EQ(Oem866FromUtf16(u"Київ, ґанок", &exact), "\x8A\xA8\xF5\xA2, \xA3\xA0\xAD\xAE\xAA");
  EXPECT_EQ(Oem866FromUtf16(u"€ ± ‰ Љ љ Ђ ђ Ћ Џ Ѓ Ќ Ј ј Ѕ ѕ пере\u00ADнос"),
            "EUR +- 0/00 Lj lj Dj dj C Dz Gj Kj J j S s " + Oem866FromUtf16(u"перенос"));
  EXPECT_EQ(Oem866FromUtf16(u"日本 \U0001F600"), "?? ?");
  EXPECT_EQ(Oem866FromUtf16(u"\xD800x"), "?x");
  EXPECT_EQ(Oem866FromUtf16(u"Tab\there\r\n", &exact), "Tab\there\r\n");
  EXPECT_TRUE(exact);

  // Of everything a Windows-1251 text can hold, only what no reader would recognise in any
  // stand-in is left as '?'.
  std::u16string questioned;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::u16string c = korvel::Utf16FromCp1251(std::string(1, static_cast<char>(b)));
    if (Oem866FromUtf16(c) == "?") questioned += c;
  }
  EXPECT_EQ(questioned, u"\u0098§¬¶");
}

TEST(WireText, NamesAreUpperCasedInLatinAndCyrillic) {
  EXPECT_EQ(UpperName(u"pc7-иван ёж ўї ґ"), u"PC7-ИВАН ЁЖ ЎЇ Ґ");
  EXPECT_EQ(UpperName(u"ÿß№"), u"ÿß№");
}

TEST(WireText, AddressesAreDottedDecimalOnly) {
  EXPECT_EQ(ParseIpv4("192.168.0.10")->value, 0xC0A8000Au);
  EXPECT_EQ(ToString(*ParseIpv4(u"255.255.255.255")), "255.255.255.255");
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", " 1.2.3.4",
                          "010.0.0.1", "0x7f.0.0.1", "1..2.3", "1.2.3.-4", "1234.1.1.1"})
    EXPECT_FALSE(ParseIpv4(bad)) << bad;
  EXPECT_TRUE(ParseIpv4("0.0.0.0"));
}
