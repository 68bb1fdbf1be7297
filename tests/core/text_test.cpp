#include <gtest/gtest.h>

#include "base/string_table.h"
#include "base/text.h"

using namespace korvel;

TEST(Text, Cp1251RoundTripsRussianAndMarksWhatItCannotHold) {
  std::string s = Cp1251FromUtf8("Ёжик — ёлка №1");
  EXPECT_EQ(s,
            "\xA8\xE6\xE8\xEA \x97 \xB8\xEB\xEA\xE0 \xB9"
            "1");
  EXPECT_EQ(Utf8FromCp1251(s), "Ёжик — ёлка №1");
  EXPECT_EQ(Cp1251FromUtf8("日本\xC3"), "???");
}

TEST(Text, TheStringTableKeepsItsLatinLettersInsideRussianWords) {
  EXPECT_EQ(LoadStr(IDS_SELECT_COMPUTER).substr(0, 4),
            "\xC2\xFB\xE1"
            "e");
  EXPECT_EQ(LoadStr(IDS_LOG_MESSAGE).substr(0, 2), "C\xEE");
  EXPECT_EQ(LoadStr(IDS_LINE_BREAK), "\r\n");
  EXPECT_EQ(LoadStr(IDS_IPADDRESSES_FOLDER), "\\IpAddresses\\");
  EXPECT_EQ(LoadStr(1), "");
}

TEST(Text, TrimParseAndPaths) {
  EXPECT_EQ(Trim("\t a b \r\n"), "a b");
  int v = 0;
  EXPECT_TRUE(ParseInt("-2147483648", v));
  EXPECT_EQ(v, -2147483647 - 1);
  EXPECT_FALSE(ParseInt("2147483648", v));
  EXPECT_FALSE(ParseInt("+", v));
  EXPECT_FALSE(ParseInt(" 1", v));
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\Korvel", ".ini"), "C:\\a.b\\Korvel.ini");
  EXPECT_EQ(ExtractFilePath("C:\\Tools\\Korvel.exe"), "C:\\Tools\\");
}
