// The settings store: reading and writing keys in an INI text, and the file beside it.
#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "tests/core/temp_dir.h"

using namespace korvel;

namespace {
std::string Read(std::string_view text, const char* section, const char* key) {
  std::string v;
  return ini::Find(text, section, key, &v) ? v : "<missing>";
}
}  // namespace

TEST(IniText, ReadsNamesCaseInsensitivelyAndTrimsNamesAndValues) {
  std::string text =
      "; comment\r\n[Defaults]\r\n  MaxThreads =  12  \r\nq=\"quoted\"\r\nr= 'x' \r\n"
      "noequals\r\n[ Window Position ]\r\nTop=5\r\n";
  EXPECT_EQ(Read(text, "defaults", "MAXTHREADS"), "12");
  EXPECT_EQ(Read(text, "Defaults", "q"), "quoted");
  EXPECT_EQ(Read(text, "Defaults", "r"), "x");
  EXPECT_EQ(Read(text, "Defaults", "noequals"), "<missing>");
  EXPECT_EQ(Read(text, "Window Position", "Top"), "5");
  EXPECT_EQ(Read(text, "Defaults", "Top"), "<missing>");
  EXPECT_EQ(Read(text, "Nowhere", "Top"), "<missing>");
}

TEST(IniText, OnlyTheFirstSectionOfANameCountsAndTheFirstKey) {
  std::string text = "[A]\nk=1\nk=2\n[B]\nj=1\n[a]\nk=3\nm=4\n";
  EXPECT_EQ(Read(text, "A", "k"), "1");
  EXPECT_EQ(Read(text, "A", "m"), "<missing>");
  EXPECT_EQ(ini::Put(text, "A", "K", "9"), "[A]\nk=9\nk=2\n[B]\nj=1\n[a]\nk=3\nm=4\n");
}

TEST(IniText, CyrillicNamesCompareWithoutCase) {
  std::string text =
      "[\xCE\xF2\xEF\xF0\xE0\xE2\xE8\xF2\xE5\xEB\xFC]\r\n\xC8\xEC\xFF=1\r\n";  // [Отправитель]
                                                                               // Имя=1
  EXPECT_EQ(Read(text, "\xEE\xF2\xEF\xF0\xE0\xE2\xE8\xF2\xE5\xEB\xFC", "\xE8\xEC\xFF"), "1");
}

TEST(IniText, WriteReplacesOneLineInPlaceAndKeepsEverythingElse) {
  std::string text = "; my notes\r\n[Defaults]\r\nMaxThreads = 7\r\n\r\n[Other]\r\nx=1\r\n";
  EXPECT_EQ(ini::Put(text, "defaults", "maxthreads", "50"),
            "; my notes\r\n[Defaults]\r\nMaxThreads=50\r\n\r\n[Other]\r\nx=1\r\n");
}

TEST(IniText, NewKeyGoesAfterTheLastLineOfItsSectionBeforeBlankLines) {
  std::string text = "[A]\r\nk=1\r\n\r\n[B]\r\nj=1";
  EXPECT_EQ(ini::Put(text, "A", "n", "2"), "[A]\r\nk=1\r\nn=2\r\n\r\n[B]\r\nj=1");
  // The section's last line ends the file without a line break.
  EXPECT_EQ(ini::Put(text, "B", "n", "2"), "[A]\r\nk=1\r\n\r\n[B]\r\nj=1\r\nn=2\r\n");
  // An empty section.
  EXPECT_EQ(ini::Put("[A]\r\n[B]\r\n", "A", "n", "2"), "[A]\r\nn=2\r\n[B]\r\n");
}

TEST(IniText, NewSectionGoesAtTheEndOfTheFile) {
  EXPECT_EQ(ini::Put("", "Sender", "Sender1", "x"), "[Sender]\r\nSender1=x\r\n");
  EXPECT_EQ(ini::Put("[A]\r\nk=1", "B", "j", "2"), "[A]\r\nk=1\r\n[B]\r\nj=2\r\n");
  EXPECT_EQ(ini::Put("[A]\nk=1\n", "B", "j", "2"), "[A]\nk=1\n[B]\r\nj=2\r\n");
}

TEST(IniText, ValuesLoseLeadingBlanksAndAnUnchangedValueChangesNothing) {
  EXPECT_EQ(ini::Put("", "A", "k", "  v w "), "[A]\r\nk=v w \r\n");
  std::string text = "[A]\r\nk = v\r\n";
  EXPECT_EQ(ini::Put(text, "A", "k", "v"), text);
}

TEST(IniFileOnDisk, ReadsDefaultsForMissingFileAndBadNumbers) {
  TempDir dir;
  IniFile ini(dir.Path("missing.ini"));
  EXPECT_EQ(ini.ReadString("A", "k", "def"), "def");
  EXPECT_EQ(ini.ReadInteger("A", "k", 42), 42);

  dir.Write("s.ini", "[A]\r\nn=abc\r\nb=2\r\nz=0\r\nbig=99999999999\r\nneg=-3\r\nempty=\r\n");
  IniFile s(dir.Path("s.ini"));
  EXPECT_EQ(s.ReadInteger("A", "n", 50), 50);
  EXPECT_EQ(s.ReadInteger("A", "big", 50), 50);
  EXPECT_EQ(s.ReadInteger("A", "neg", 50), -3);
  EXPECT_TRUE(s.ReadBool("A", "b", false));
  EXPECT_FALSE(s.ReadBool("A", "z", true));
  EXPECT_TRUE(s.ReadBool("A", "n", true));
  EXPECT_EQ(s.ReadString("A", "empty", "def"), "");
}

TEST(IniFileOnDisk, WritesCreateTheFileAndARefusedWriteKeepsItIntact) {
  TempDir dir;
  IniFile ini(dir.Path("k.ini"));
  ASSERT_TRUE(ini.WriteString("Sender", "Sender1", "x"));
  ASSERT_TRUE(ini.WriteInteger("Defaults", "MaxThreads", 50));
  EXPECT_EQ(dir.Read("k.ini"), "[Sender]\r\nSender1=x\r\n[Defaults]\r\nMaxThreads=50\r\n");

  dir.MakeReadOnly("k.ini");
  EXPECT_FALSE(ini.WriteInteger("Defaults", "MaxThreads", 7));
  EXPECT_EQ(dir.Read("k.ini"), "[Sender]\r\nSender1=x\r\n[Defaults]\r\nMaxThreads=50\r\n");
  EXPECT_EQ(ini.WriteErrorText(), "Unable to write to " + dir.Path("k.ini"));
  // Writing what the file already holds needs no write, so it is no failure.
  EXPECT_TRUE(ini.WriteInteger("Defaults", "MaxThreads", 50));

  IniFile nowhere(dir.Path("no/such/folder/k.ini"));
  EXPECT_FALSE(nowhere.WriteString("A", "k", "v"));
}

// Notepad saves with a UTF-8 byte-order mark. Such a file is UTF-8 throughout: its first
// section is found, not added again, and its values reach the program as Windows-1251.
TEST(IniFileOnDisk, AFileWithAByteOrderMarkIsReadAsUtf8AndKeepsItsMark) {
  TempDir dir;
  const std::string bom = "\xEF\xBB\xBF";
  dir.Write("u.ini", bom + "[Sender]\r\nSender1=Петров\r\n[Defaults]\r\nMaxThreads=7\r\n");
  IniFile ini(dir.Path("u.ini"));
  EXPECT_EQ(ini.ReadString("Sender", "Sender1", ""), "\xCF\xE5\xF2\xF0\xEE\xE2");  // 1251
  EXPECT_EQ(
      ini.ReadSection("sender"),
      (std::vector<std::pair<std::string, std::string>>{{"Sender1", "\xCF\xE5\xF2\xF0\xEE\xE2"}}));
  EXPECT_EQ(ini.ReadInteger("Defaults", "MaxThreads", 50), 7);

  ASSERT_TRUE(ini.WriteString("Sender", "Sender2", "\xC8\xE2\xE0\xED\xEE\xE2"));  // Иванов
  ASSERT_TRUE(ini.WriteInteger("Defaults", "MaxThreads", 50));
  ASSERT_TRUE(ini.WriteString("Window State", "WindowState", "0"));
  EXPECT_EQ(dir.Read("u.ini"),
            bom +
                "[Sender]\r\nSender1=Петров\r\nSender2=Иванов\r\n"
                "[Defaults]\r\nMaxThreads=50\r\n[Window State]\r\nWindowState=0\r\n");

  // A mark and nothing else: the first section follows it directly.
  dir.Write("empty.ini", bom);
  IniFile empty(dir.Path("empty.ini"));
  ASSERT_TRUE(empty.WriteString("Sender", "Sender1", "x"));
  EXPECT_EQ(dir.Read("empty.ini"), bom + "[Sender]\r\nSender1=x\r\n");
}
