// The documents shipped beside the program: they open in a browser as they are
// (Windows-1251, and they say so), the manual names every command, menu, window and
// message the user meets, their links lead somewhere, and the history starts with this
// version.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "app/command_table_win.h"
#include "base/string_table.h"
#include "base/text.h"
#include "base/text_win.h"
#include "res/version.h"

namespace korvel {
namespace {

// The checkout's path is UTF-8 and may hold letters the ANSI code page has not.
std::string Read(const std::string& relative) {
  std::ifstream in(std::filesystem::path(WidePath(std::string(KORVEL_SOURCE_DIR) + "/" + relative)),
                   std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Windows-1251 has one byte with no letter (0x98); UTF-8 text would show up as pairs of
// letters such as "Р" followed by another.
void ExpectCp1251(const std::string& text, const char* name) {
  ASSERT_FALSE(text.empty()) << name;
  EXPECT_EQ(text.find('\x98'), std::string::npos) << name;
  EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF") << name;
  EXPECT_FALSE(Contains(text, Cp1251FromUtf8("Рѕ"))) << name << " looks like UTF-8";
}

TEST(Documents, TheyAreWindows1251AndSaySo) {
  for (const char* name : {"HELP/help.htm", "HELP/faq.htm"}) {
    const std::string page = Read(name);
    ExpectCp1251(page, name);
    EXPECT_TRUE(Contains(page, "charset=windows-1251")) << name;
  }
  const std::string history = Read("history.txt");
  ExpectCp1251(history, "history.txt");
  // Notepad on older systems shows a file with bare LF line ends as one line.
  for (size_t at = history.find('\n'); at != std::string::npos; at = history.find('\n', at + 1))
    ASSERT_TRUE(at > 0 && history[at - 1] == '\r') << "line end at " << at;
}

TEST(Documents, TheManualNamesEveryCommandMenuWindowAndMessage) {
  const std::string manual = Read("HELP/help.htm");
  std::set<std::string> missing;
  auto expect = [&](const std::string& text) {
    if (!Contains(manual, text)) missing.insert(Utf8FromCp1251(text));
  };
  for (const Command& c : Commands()) expect(Narrow(c.caption));
  for (const MenuEntry& menu : MainMenuLayout()) {
    std::wstring caption = menu.caption;
    std::erase(caption, L'&');
    expect(Narrow(caption));
  }
  for (const char* utf8 : {"Парметры отправки",
                           "Настройки программы",
                           "Отправлять от своего имени",
                           "Отправлять от другого имени",
                           "Импорт с сервера",
                           "Импортировать из файла",
                           "Создать новую группу адресов",
                           "Импортировать адреса",
                           "Korvel.ini",
                           "Korvel.dat",
                           "RecipientFile",
                           "MaxThreads",
                           "MaxLineLog",
                           "MaxSender",
                           "WhatSend",
                           "PatchInstalled",
                           "Unable to write to",
                           "TCP",
                           "UDP",
                           "139",
                           "138",
                           "AllowRemoteRPC",
                           "Wine"})
    expect(Cp1251FromUtf8(utf8));
  // What it runs on, the box for a network name typed by hand, the copies of a book it could
  // not read.
  for (const char* utf8 : {"Windows 7 или новее", "64-разрядная", "Wine 8 или новее",
                           "Не удалось показать сеть. Введите имя компьютера:",
                           "Не удалось показать сеть. Введите имя рабочей группы или домена:",
                           "Korvel.dat.bak", "Korvel.dat.2.bak"})
    expect(Cp1251FromUtf8(utf8));
  for (unsigned id : {IDS_WHOLE_NETWORK, IDS_SELECT_COMPUTER, IDS_SELECT_GROUP, IDS_NEW_GROUP,
                      IDS_MESSENGER_STARTED, IDS_MESSENGER_START_FAILED, IDS_MESSENGER_STOPPED,
                      IDS_MESSENGER_STOP_FAILED, IDS_CANNOT_USE_NAME, IDS_LOG_MESSAGE, IDS_LOG_SENT,
                      IDS_LOG_NOT_SENT})
    expect(Trim(LoadStr(id)));
  for (const std::string& text : missing) ADD_FAILURE() << "the manual never mentions " << text;
}

TEST(Documents, EveryLinkBetweenThePagesLeadsToAPlaceThatExists) {
  const std::regex link(R"re(href="([a-z]+\.htm)?(#([A-Za-z0-9_-]+))?")re");
  const std::regex anchor(R"re(id="([A-Za-z0-9_-]+)")re");
  int links = 0;
  for (const char* page : {"help.htm", "faq.htm"}) {
    const std::string text = Read(std::string("HELP/") + page);
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
      const std::string file = (*it)[1].matched ? (*it)[1].str() : page;
      const std::string target = Read("HELP/" + file);
      ASSERT_FALSE(target.empty()) << page << " links to " << file;
      if ((*it)[3].matched) {
        std::set<std::string> ids;
        for (std::sregex_iterator a(target.begin(), target.end(), anchor); a != end; ++a)
          ids.insert((*a)[1].str());
        EXPECT_TRUE(ids.count((*it)[3].str())) << page << " links to " << file << "#" << (*it)[3];
      }
      ++links;
    }
  }
  EXPECT_GT(links, 20);
}

TEST(Documents, TheHistoryBeginsWithThisVersion) {
  const std::string history = Read("history.txt");
  const std::string first = Cp1251FromUtf8("Версия ");
  const size_t at = history.find(first);
  ASSERT_NE(at, std::string::npos);
  const std::string line = history.substr(at, history.find('\r', at) - at);
  EXPECT_EQ(line, first + KORVEL_FILE_VERSION_TEXT);
}

}  // namespace
}  // namespace korvel
