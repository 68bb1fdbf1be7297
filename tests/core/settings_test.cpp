// The settings file: defaults, odd values, the order and layout of what is written back.
#include <gtest/gtest.h>

#include "base/settings.h"
#include "base/text.h"
#include "tests/core/temp_dir.h"

using namespace korvel;

namespace {

struct SettingsFile : ::testing::Test {
  TempDir dir;
  std::string exe = dir.Path("Korvel.exe");
  IniFile ini{SettingsFileName(exe)};
  Settings s;
};

}  // namespace

TEST_F(SettingsFile, NameAndDerivedPathsComeFromTheExecutable) {
  EXPECT_EQ(SettingsFileName("C:\\Tools\\Korvel.exe"), "C:\\Tools\\Korvel.ini");
  ReadSettings(ini, "C:\\Tools\\Korvel.exe", s);
  EXPECT_EQ(s.HelpFile, "C:\\Tools\\HELP\\help.htm");
  EXPECT_EQ(s.FaqFile, "C:\\Tools\\HELP\\faq.htm");
  EXPECT_EQ(s.RecipientFile, "C:\\Tools\\Korvel.dat");
}

TEST_F(SettingsFile, FirstRunWritesTheFourSectionsInOrder) {
  ReadSettings(ini, exe, s);
  ASSERT_TRUE(WriteSenderHistory(ini, {"user"}));
  ASSERT_TRUE(WriteSettings(ini, s));
  ASSERT_TRUE(WriteWindowGeometry(ini, {0, 0, 404, 492}, WindowState::Normal));
  EXPECT_EQ(dir.Read("Korvel.ini"),
            "[Sender]\r\nSender1=user\r\n"
            "[Defaults]\r\nDeltaClear=5\r\nMaxSender=5\r\nMaxLineLog=300\r\nMaxThreads=50\r\n"
            "RecipientFile=" +
                dir.Path("Korvel.dat") +
                "\r\nPatchInstalled=1\r\nWhatSend=1\r\n"
                "[Window Position]\r\nTop=0\r\nLeft=0\r\nWidth=404\r\nHeight=492\r\n"
                "[Window State]\r\nWindowState=0\r\n");
}

TEST_F(SettingsFile, OddValuesReadAsTheProgramUnderstandsThemAndAreWrittenBackClean) {
  dir.Write("Korvel.ini",
            "[Defaults]\r\nWhatSend=256\r\nPatchInstalled=2\r\nMaxThreads=abc\r\n"
            "RecipientFile=D:\\Shared\\book.dat\r\nMaxLineLog=-4\r\n");
  ReadSettings(ini, exe, s);
  EXPECT_EQ(s.WhatSend, 0);
  EXPECT_TRUE(s.PatchInstalled);
  EXPECT_EQ(s.MaxThreads, 50);
  EXPECT_EQ(s.MaxLineLog, -4);
  EXPECT_EQ(s.RecipientFile, "D:\\Shared\\book.dat");
  ASSERT_TRUE(WriteSettings(ini, s));
  EXPECT_EQ(ini.ReadString("Defaults", "WhatSend", ""), "0");
  EXPECT_EQ(ini.ReadString("Defaults", "PatchInstalled", ""), "1");
  EXPECT_EQ(ini.ReadString("Defaults", "MaxThreads", ""), "50");
  EXPECT_EQ(ini.ReadString("Defaults", "RecipientFile", ""), "D:\\Shared\\book.dat");
}

TEST_F(SettingsFile, RecipientFilePathsTheFileCannotSpellStayWithTheProgram) {
  // An empty value names no file: it means the book beside the program.
  dir.Write("Korvel.ini", "[Defaults]\r\nRecipientFile=\r\n");
  ReadSettings(ini, exe, s);
  EXPECT_EQ(s.RecipientFile, dir.Path("Korvel.dat"));

  // A stored path is Windows-1251; in memory it is UTF-8.
  dir.Write("Korvel.ini",
            "[Defaults]\r\nRecipientFile=D:\\" + Cp1251FromUtf8("Книги") + "\\a.dat\r\n");
  ReadSettings(ini, exe, s);
  EXPECT_EQ(s.RecipientFile, "D:\\Книги\\a.dat");
  ASSERT_TRUE(WriteSettings(ini, s));
  EXPECT_EQ(ini.ReadString("Defaults", "RecipientFile", ""),
            "D:\\" + Cp1251FromUtf8("Книги") + "\\a.dat");

  // The program in a folder whose letters Windows-1251 lacks: the book beside it is written
  // as the empty value, which reads back as that same book, not as "J?rgen".
  dir.Write("Korvel.ini", "");
  ReadSettings(ini, "C:\\Users\\Jürgen\\Korvel.exe", s);
  EXPECT_EQ(s.RecipientFile, "C:\\Users\\Jürgen\\Korvel.dat");
  EXPECT_EQ(s.HelpFile, "C:\\Users\\Jürgen\\HELP\\help.htm");
  ASSERT_TRUE(WriteSettings(ini, s));
  EXPECT_EQ(ini.ReadString("Defaults", "RecipientFile", "?"), "");
  ReadSettings(ini, "C:\\Users\\Jürgen\\Korvel.exe", s);
  EXPECT_EQ(s.RecipientFile, "C:\\Users\\Jürgen\\Korvel.dat");
}

// Windows-1251 leaves the byte 0x98 undefined; Windows reads it as U+0098. A path holding it
// names that file and goes back to the settings file byte for byte, not as the empty value
// that would send the next start to the default book.
TEST_F(SettingsFile, ARecipientFileWithTheUndefinedByteIsWrittenBackAsItWasRead) {
  const std::string stored =
      "D:\\Books\\a\x98"
      "b\xCA.dat";  // a, 0x98, b, К
  dir.Write("Korvel.ini", "[Defaults]\r\nRecipientFile=" + stored + "\r\n");
  ReadSettings(ini, exe, s);
  EXPECT_EQ(s.RecipientFile,
            "D:\\Books\\a\xC2\x98"
            "bК.dat");  // U+0098 in UTF-8
  ASSERT_TRUE(WriteSettings(ini, s));
  EXPECT_EQ(ini.ReadString("Defaults", "RecipientFile", ""), stored);
}

TEST_F(SettingsFile, MaximisedOrMinimisedExitKeepsTheLastNormalPosition) {
  ASSERT_TRUE(WriteWindowGeometry(ini, {10, 20, 404, 492}, WindowState::Normal));
  ASSERT_TRUE(WriteWindowGeometry(ini, {-4, -4, 1032, 776}, WindowState::Maximized));
  WindowGeometry g = ReadWindowPosition(ini, {});
  EXPECT_EQ(g.left, 10);
  EXPECT_EQ(g.top, 20);
  EXPECT_EQ(g.width, 1032);
  EXPECT_EQ(g.height, 776);
  EXPECT_EQ(ReadWindowState(ini), 2);
  dir.Write("Korvel.ini", "[Window State]\r\nWindowState=7\r\n");
  EXPECT_EQ(ReadWindowState(ini), -1);
}

TEST_F(SettingsFile, MissingPositionMeansTopLeftCornerAndTheDesignedSize) {
  WindowGeometry g = ReadWindowPosition(ini, {292, 126, 404, 492});
  EXPECT_EQ(g.left, 0);
  EXPECT_EQ(g.top, 0);
  EXPECT_EQ(g.width, 404);
  EXPECT_EQ(g.height, 492);
}

TEST_F(SettingsFile, SenderHistorySkipsEmptyKeysAndReadsOnlyMaxSender) {
  std::string petrov = Cp1251FromUtf8("Петров"), ivanov = Cp1251FromUtf8("Иванов");
  dir.Write("Korvel.ini", "[Sender]\r\nSender3=" + ivanov + "\r\nSender1=" + petrov +
                              "\r\nSender2=\r\nSender05=zero\r\nSenderX=x\r\n");
  EXPECT_EQ(ReadSenderHistory(ini, 5), (std::vector<std::string>{petrov, ivanov}));
  EXPECT_EQ(ReadSenderHistory(ini, 2), (std::vector<std::string>{petrov}));
  EXPECT_TRUE(ReadSenderHistory(ini, 0).empty());
  EXPECT_TRUE(ReadSenderHistory(ini, -1).empty());
  EXPECT_EQ(ReadSenderHistory(ini, 2000000000).size(), 2u);
}

TEST_F(SettingsFile, SenderHistoryWriteLeavesHigherKeysAlone) {
  dir.Write("Korvel.ini", "[Sender]\r\nSender1=a\r\nSender2=b\r\nSender3=c\r\nSender4=d\r\n");
  ASSERT_TRUE(WriteSenderHistory(ini, {"x", "y"}));
  EXPECT_EQ(dir.Read("Korvel.ini"),
            "[Sender]\r\nSender1=x\r\nSender2=y\r\nSender3=c\r\nSender4=d\r\n");
}

TEST_F(SettingsFile, EveryKeyIsAttemptedAfterARefusedWrite) {
  dir.Write("Korvel.ini", "[Defaults]\r\nMaxThreads=50\r\n");
  dir.MakeReadOnly("Korvel.ini");
  ReadSettings(ini, exe, s);
  EXPECT_FALSE(WriteSettings(ini, s));
  EXPECT_FALSE(WriteWindowGeometry(ini, {}, WindowState::Normal));
  EXPECT_EQ(dir.Read("Korvel.ini"), "[Defaults]\r\nMaxThreads=50\r\n");
}
