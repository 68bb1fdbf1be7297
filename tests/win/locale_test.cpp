// The locale a test run has: the same tests run under code page 1252 and 1251.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Locale, RunsUnderTheCodePageItsEnvironmentAsksFor) {
  char lang[64] = {};
  GetEnvironmentVariableA("LANG", lang, sizeof lang);
  if (std::string(lang).rfind("ru_RU", 0) == 0)
    EXPECT_EQ(GetACP(), 1251u);
  else
    EXPECT_EQ(GetACP(), 1252u);
}
