// The Remote Desktop message for computers where no messenger answers: when it is tried,
// what it sends, and what counts as delivered.
#include "sending/remote_desktop_messenger_win.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sending/wire_status.h"

using namespace korvel;

namespace {

struct ScriptedDirect : Messenger {
  NetStatus answer = kNerrSuccess;
  int sends = 0, adds = 0;
  NetStatus MessageBufferSend(const char16_t*, const char16_t*, const uint8_t*, uint32_t) override {
    ++sends;
    return answer;
  }
  NetStatus MessageNameAdd(const char16_t*) override {
    ++adds;
    return 2297;
  }
  NetStatus MessageNameDel(const char16_t*) override { return 0; }
};

struct ScriptedDesktops : RemoteDesktopApi {
  // The computers that can be opened, with their signed-in sessions; a session in
  // `refusing` takes no message.
  std::map<std::wstring, std::vector<DWORD>> computers;
  std::vector<DWORD> refusing;
  std::vector<std::wstring> opened;
  std::vector<std::pair<DWORD, std::wstring>> shown;  // session, title + "|" + text
  int open = 0;

  HANDLE OpenServer(const std::wstring& computer) override {
    opened.push_back(computer);
    auto it = computers.find(computer);
    if (it == computers.end()) return nullptr;
    ++open;
    return reinterpret_cast<HANDLE>(&it->second);
  }
  void CloseServer(HANDLE) override { --open; }
  bool SignedInSessions(HANDLE server, std::vector<DWORD>& sessions) override {
    sessions = *reinterpret_cast<std::vector<DWORD>*>(server);
    return true;
  }
  bool SendToSession(HANDLE, DWORD session, const std::wstring& title,
                     const std::wstring& text) override {
    for (DWORD r : refusing)
      if (r == session) return false;
    shown.emplace_back(session, title + L"|" + text);
    return true;
  }
  DWORD LastError() override { return 1722; }
};

NetStatus Send(Messenger& m, const char16_t* to, const char16_t* from, const std::u16string& text) {
  return m.MessageBufferSend(to, from, reinterpret_cast<const uint8_t*>(text.c_str()),
                             static_cast<uint32_t>(2 * text.size() + 1));
}

}  // namespace

TEST(RemoteDesktopFallback, TakesOverOnlyWhereNoMessengerAnswers) {
  auto direct = std::make_shared<ScriptedDirect>();
  ScriptedDesktops desktops;
  desktops.computers[L"PC7"] = {1, 2};
  RemoteDesktopFallback m(direct, desktops);

  // Delivered directly, or refused by a messenger that is there: no second way.
  EXPECT_EQ(Send(m, u"PC7", u"Иван", u"Привет"), kNerrSuccess);
  direct->answer = wire::kStatusRequestNotAccepted;
  EXPECT_EQ(Send(m, u"PC7", u"Иван", u"Привет"), wire::kStatusRequestNotAccepted);
  direct->answer = wire::kStatusTimeout;
  EXPECT_EQ(Send(m, u"PC7", u"Иван", u"Привет"), wire::kStatusTimeout);
  EXPECT_TRUE(desktops.opened.empty());

  // Nothing on the messenger's port: the people signed in get the message box.
  direct->answer = wire::kStatusConnectionRefused;
  EXPECT_EQ(Send(m, u"PC7", u"Иван", u"Привет"), kNerrSuccess);
  EXPECT_EQ(desktops.shown,
            (std::vector<std::pair<DWORD, std::wstring>>{{1, L"Сообщение от Иван|Привет"},
                                                         {2, L"Сообщение от Иван|Привет"}}));
  EXPECT_EQ(desktops.open, 0) << "every server opened is closed";

  // The computer does not answer to the name either: the same.
  direct->answer = wire::kStatusNameNotFound;
  desktops.shown.clear();
  desktops.refusing = {1};
  EXPECT_EQ(Send(m, u"PC7", u"Иван", u"Текст"), kNerrSuccess) << "one session took it";
  EXPECT_EQ(desktops.shown.size(), 1u);

  // No session takes it, or the computer cannot be opened: the direct failure stands.
  desktops.refusing = {1, 2};
  EXPECT_EQ(Send(m, u"PC7", u"Иван", u"Текст"), wire::kStatusNameNotFound);
  EXPECT_EQ(Send(m, u"PC8", u"Иван", u"Текст"), wire::kStatusNameNotFound);
  desktops.computers[L"EMPTY"] = {};
  EXPECT_EQ(Send(m, u"EMPTY", u"Иван", u"Текст"), wire::kStatusNameNotFound);
  EXPECT_EQ(desktops.open, 0);

  // Workgroups and the empty name are the direct path's alone.
  desktops.opened.clear();
  EXPECT_EQ(Send(m, u"HOME*", u"Иван", u"Текст"), wire::kStatusNameNotFound);
  EXPECT_EQ(Send(m, u"*", u"Иван", u"Текст"), wire::kStatusNameNotFound);
  EXPECT_EQ(Send(m, u"", u"Иван", u"Текст"), wire::kStatusNameNotFound);
  EXPECT_TRUE(desktops.opened.empty());

  // The sender's name is the direct path's question.
  EXPECT_EQ(m.MessageNameAdd(u"Иван"), 2297u);
  EXPECT_EQ(direct->adds, 1);
}

TEST(RemoteDesktopFallback, WithoutASenderTheBoxSaysWhichComputerItIsFrom) {
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &size));
  EXPECT_EQ(RemoteDesktopFallback::Title(nullptr), std::wstring(L"Сообщение от ") + computer);
  EXPECT_EQ(RemoteDesktopFallback::Title(u""), std::wstring(L"Сообщение от ") + computer);
}
