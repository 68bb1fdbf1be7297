// The version text, the title and the command-line rule.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "base/version_text.h"

using namespace korvel;

TEST(VersionText, ShortFormDropsTheBuildAndATrailingZero) {
  EXPECT_EQ(ShortVersionText("Korvel", "1.3.0.27"), "Korvel 1.3");
  EXPECT_EQ(ShortVersionText("Korvel", "2.0.1.5"), "Korvel 2.0.1");
  EXPECT_EQ(ShortVersionText("Korvel", "2.0.0.5"), "Korvel 2.0");
  EXPECT_EQ(ShortVersionText("Korvel", "1.0.0.0"), "Korvel 1.0");
  EXPECT_EQ(ShortVersionText("Korvel", "3.10.0.1"), "Korvel 3.10");
  EXPECT_EQ(FullVersionText("Korvel", "1.3.0.27"), "Korvel 1.3.0.27");
}

TEST(VersionText, MalformedVersionsGiveASoundText) {
  EXPECT_EQ(ShortVersionText("Korvel", ""), "Korvel");
  EXPECT_EQ(ShortVersionText("Korvel", "2.x.5"), "Korvel 2.x");
  EXPECT_EQ(ShortVersionText("Korvel", "7"), "Korvel 7");
  EXPECT_EQ(ShortVersionText("Korvel", "0"), "Korvel 0");
  EXPECT_EQ(ShortVersionText("Korvel", "."), "Korvel");
  EXPECT_EQ(ShortVersionText("Korvel", "1..2"), "Korvel 1.");
  EXPECT_EQ(ShortVersionText("", ""), "");
}

TEST(VersionText, TranslationNameAndTitle) {
  EXPECT_EQ(TranslationName(0x0419, 1251), "041904E3");
  EXPECT_EQ(TranslationName(0x0409, 0x04B0), "040904B0");
  EXPECT_EQ(TitleText("Korvel 1.3", "Brenholt", "www.brenholt.example"),
            "Korvel 1.3 \x97 Brenholt: www.brenholt.example");
  EXPECT_EQ(TitleText("", "Brenholt", "h"), " \x97 Brenholt: h");
}

TEST(CommandLine, FirstArgumentFollowsTheQuoteRule) {
  EXPECT_EQ(FirstArgument("C:\\Korvel.exe PC7"), "PC7");
  EXPECT_EQ(FirstArgument("\"C:\\Program Files\\Korvel.exe\" \"ivanov petrov\" second"),
            "ivanov petrov");
  EXPECT_EQ(FirstArgument("Korvel.exe"), "");
  EXPECT_EQ(FirstArgument("Korvel.exe   \t "), "");
  EXPECT_EQ(FirstArgument("Korvel.exe \"\" PC7"), "");
  EXPECT_EQ(FirstArgument("Korvel.exe ab\"c d\"e f"), "abc de");
  EXPECT_EQ(FirstArgument("Korvel.exe \"unterminated arg"), "unterminated arg");
  EXPECT_EQ(SplitCommandLine("  a\x01"
                             "b  "),
            (std::vector<std::string>{"a", "b"}));
}
