// Korvel on a LAN of its own (tools/lan.sh): Samba's nmbd and smbd as computer BUH-PC1 of
// workgroup OFFICE with its users as NetBIOS aliases, a scripted current Windows computer, a
// scripted Windows XP messenger and a workgroup member that keeps every datagram it gets, each
// in a network namespace of its own. This program runs under Wine inside the sender's
// namespace, with a wineserver and an X server of its own there; KORVEL_LAN is where the LAN
// keeps its state (as Wine sees it).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "sending/oem866.h"
#include "sending/remote_desktop_messenger_win.h"
#include "sending/wire_messenger.h"
#include "tests/core/temp_dir.h"
#include "tests/e2e/program_driver_win.h"

using namespace korvel;
using namespace korvel::drive;
using namespace std::chrono_literals;

namespace {

// The hosts of tools/lan.sh.
constexpr const char* kSender = "10.150.0.10";
constexpr const wchar_t* kWindowsAddress = L"10.150.0.40";

class Lan : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* state = std::getenv("KORVEL_LAN");
    if (!state) GTEST_SKIP() << "no LAN: run through ctest (tools/lan.sh)";
    state_ = std::filesystem::path(Wide(state));
  }

  std::filesystem::path Inbox() const { return state_ / "rx" / "inbox"; }

  // The events a scripted computer logged, one JSON object a line, from line `from` on.
  std::vector<std::string> Events(const std::string& who, size_t from = 0) const {
    std::ifstream in(state_ / "log" / (who + ".log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (from >= lines.size()) return {};
    return std::vector<std::string>(lines.begin() + static_cast<long>(from), lines.end());
  }

  // What the workgroup member has kept from the sender, in the order it came (nmbd's browser
  // announcements reach it too).
  std::vector<std::string> Datagrams() const {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(state_ / "wg" / "datagrams", ec))
      if (e.path().extension() == ".bin") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> all;
    for (const auto& f : files) {
      std::ifstream in(f, std::ios::binary);
      std::stringstream s;
      s << in.rdbuf();
      const std::string d = s.str();
      if (d.size() > 8 && d.substr(4, 4) == std::string("\x0A\x96\x00\x0A", 4))  // 10.150.0.10
        all.push_back(d);
    }
    return all;
  }

  // The messages the Samba receiver took, by the name it was called by (smbd writes
  // <time>_<sender>_<called name>_<random>.txt, the text in UTF-8 with CR LF turned into LF).
  std::multimap<std::string, std::string> Received() const {
    std::multimap<std::string, std::string> all;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(Inbox(), ec)) {
      const std::u8string utf8 = e.path().filename().u8string();
      const std::string name(utf8.begin(), utf8.end());
      if (name.empty() || name[0] == '.' || e.path().extension() != ".txt") continue;
      const size_t last = name.rfind('_');
      const size_t called = name.rfind('_', last - 1);
      std::ifstream in(e.path(), std::ios::binary);
      std::stringstream s;
      s << in.rdbuf();
      all.emplace(name.substr(called + 1, last - called - 1), s.str());
    }
    return all;
  }

  std::filesystem::path state_;
};

// A field of a logged event: `"key": value`, the value without its quotes.
std::string Field(const std::string& event, const std::string& key) {
  const std::string tag = "\"" + key + "\": ";
  size_t at = event.find(tag);
  if (at == std::string::npos) return {};
  at += tag.size();
  if (event[at] == '"') return event.substr(at + 1, event.find('"', at + 1) - at - 1);
  return event.substr(at, event.find_first_of(",}", at) - at);
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Oem(std::u16string_view text) { return wire::Oem866FromUtf16(text); }

std::string ComputerName866() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  GetComputerNameW(name, &size);
  return Oem(wire::UpperName(std::u16string(name, name + size)));
}

uint16_t Le16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

uint16_t Be16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) << 8 | static_cast<uint8_t>(b[at + 1]));
}

// A NetBIOS name as it stands encoded at `at`: "NAME<xx>".
std::string NameAt(const std::string& b, size_t at) {
  if (b.size() < at + 34 || b[at] != 0x20) return "?";
  std::string raw;
  for (size_t i = 0; i < 16; ++i)
    raw += static_cast<char>((b[at + 1 + 2 * i] - 'A') << 4 | (b[at + 2 + 2 * i] - 'A'));
  std::string name = raw.substr(0, 15);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  char suffix[8];
  snprintf(suffix, sizeof suffix, "<%02X>", static_cast<uint8_t>(raw[15]));
  return name + suffix;
}

NetStatus Send(Messenger& m, const char16_t* to, const std::u16string& text) {
  return m.MessageBufferSend(to, u"tester", reinterpret_cast<const uint8_t*>(text.c_str()),
                             static_cast<uint32_t>(2 * text.size() + 1));
}

std::wstring Line(const std::wstring& recipient, bool sent) {
  // "Cообщение" begins with a Latin C.
  return L"C"
         L"ообщение " +
         recipient + (sent ? L" отправлено" : L" не отправлено");
}

}  // namespace

// Typed into the window as a user would: computer and user names that only the name service
// knows, a user's name in Cyrillic, the workgroup by name and as "*", a Windows XP messenger, a
// current Windows computer and a name nobody holds.
TEST_F(Lan, NamesAndWorkgroupsTypedIntoTheWindowReachWhatHoldsThem) {
  const size_t windowsFrom = Events("windows").size();
  const size_t xpFrom = Events("xp").size();
  const size_t datagramsBefore = Datagrams().size();
  const size_t receivedBefore = Received().size();

  TempDir dir;
  dir.Write("Korvel.ini", "[Sender]\r\nSender1=tester\r\n");
  RunningKorvel korvel(Wide(dir.Path("Korvel.exe")), L"");
  ASSERT_TRUE(korvel.Started());
  SetForegroundWindow(korvel.Main());
  ClickInto(korvel.Control(IDC_ED_RECIPIENT));
  const std::vector<std::wstring> recipients = {L"BUH-PC1", L"ivanov", L"Петров", L"xppc",
                                                L"OFFICE*", L"*",      L"win10",  L"nobody"};
  std::wstring typed;
  for (const auto& r : recipients) typed += (typed.empty() ? L"" : L", ") + r;
  Type(typed);
  ClickInto(korvel.Control(IDC_M_MESSAGE));
  Type(L"Обед в 13:00");
  Keys({Key(VK_RETURN, false), Key(VK_RETURN, true)});
  Type(L"Всем быть!");
  CtrlEnter();

  std::vector<std::wstring> lines;
  ASSERT_TRUE(WaitFor(
      [&] {
        lines = korvel.LogLines();
        return lines.size() >= recipients.size();
      },
      30s))
      << lines.size() << " lines";
  std::set<std::wstring> expected;
  for (const auto& r : recipients) expected.insert(Line(r, r != L"win10" && r != L"nobody"));
  EXPECT_EQ(std::set<std::wstring>(lines.begin(), lines.end()), expected);

  // The Samba receiver: the computer and both users, each called by the name typed.
  auto received = Received();
  EXPECT_EQ(received.size(), receivedBefore + 3);
  for (const char* called : {"buh-pc1", "ivanov"}) {
    ASSERT_EQ(received.count(called), 1u) << called;
    EXPECT_EQ(received.find(called)->second, "Обед в 13:00\nВсем быть!");
  }

  // The Windows XP messenger, called by its messenger name.
  std::vector<std::string> xp = Events("xp", xpFrom);
  std::string xpText;
  for (const auto& e : xp)
    if (Field(e, "event") == "message") xpText = Field(e, "text");
  EXPECT_EQ(xpText, Hex(Oem(u"Обед в 13:00\r\nВсем быть!")));

  // The current Windows computer: asked for WIN10<03>, which it does not hold, then for its
  // names; never called as "*SMBSERVER", never sent a message command.
  std::vector<std::string> called;
  for (const auto& e : Events("windows", windowsFrom)) {
    EXPECT_NE(Field(e, "event"), "smb") << e;
    if (Field(e, "event") == "session") called.push_back(Field(e, "called"));
  }
  EXPECT_EQ(called, std::vector<std::string>{"WIN10<03>"});

  // OFFICE* and * alike: a datagram to the workgroup's group name, read field by field.
  const std::vector<std::string> datagrams = Datagrams();
  ASSERT_EQ(datagrams.size(), datagramsBefore + 2);
  const std::string text = Oem(u"Обед в 13:00\r\nВсем быть!");
  for (size_t i = datagramsBefore; i < datagrams.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string& d = datagrams[i];
    ASSERT_GT(d.size(), 82u + 32 + 1 + 34 + 2);
    EXPECT_EQ(static_cast<uint8_t>(d[0]), 0x11) << "direct group";
    EXPECT_EQ(static_cast<uint8_t>(d[1]), 0x02) << "first and only fragment, B node";
    EXPECT_EQ(wire::ToString(wire::Ipv4{static_cast<uint32_t>(Be16(d, 4)) << 16 | Be16(d, 6)}),
              kSender);
    EXPECT_EQ(Be16(d, 8), 138);
    EXPECT_EQ(Be16(d, 10), d.size() - 14);
    EXPECT_EQ(Be16(d, 12), 0);
    EXPECT_EQ(NameAt(d, 14), ComputerName866() + "<00>");
    EXPECT_EQ(NameAt(d, 48), "OFFICE<00>");
    const std::string smb = d.substr(82);
    EXPECT_EQ(smb.substr(0, 5), "\xFFSMB\x25");
    ASSERT_EQ(static_cast<uint8_t>(smb[32]), 17);
    const std::string data = std::string("tester") + '\0' + "OFFICE" + '\0' + text + '\0';
    EXPECT_EQ(Le16(smb, 33 + 2), data.size()) << "total data count";
    EXPECT_EQ(Le16(smb, 33 + 22), data.size()) << "data count";
    EXPECT_EQ(Le16(smb, 33 + 26), 3) << "setup count";
    EXPECT_EQ(Le16(smb, 33 + 28), 1) << "mailslot write";
    EXPECT_EQ(Le16(smb, 33 + 32), 2) << "class 2";
    const size_t bytes = 33 + 2 * 17 + 2;
    EXPECT_EQ(smb.substr(bytes, 18), std::string("\\MAILSLOT\\MESSNGR") + '\0');
    EXPECT_EQ(smb.substr(Le16(smb, 33 + 24)), data);
  }
  EXPECT_TRUE(korvel.Close());
}

namespace {

// The Remote Desktop calls, scripted: "win10" has one signed-in session that takes the
// message; nothing else can be opened (RPC server unavailable).
struct ScriptedDesktops : RemoteDesktopApi {
  std::vector<std::wstring> opened;
  int shown = 0;
  HANDLE OpenServer(const std::wstring& computer) override {
    opened.push_back(computer);
    return computer == L"win10" ? reinterpret_cast<HANDLE>(1) : nullptr;
  }
  void CloseServer(HANDLE) override {}
  bool SignedInSessions(HANDLE, std::vector<DWORD>& sessions) override {
    sessions = {1};
    return true;
  }
  bool SendToSession(HANDLE, DWORD, const std::wstring&, const std::wstring&) override {
    ++shown;
    return true;
  }
  DWORD LastError() override { return 1722; }
};

wire::WireConfig LanConfig() {
  wire::WireConfig c;
  c.computerName = u"KORVELLAN";
  return c;
}

}  // namespace

// A current Windows computer answers "called name not present" for WIN10<03> and lists no
// messenger name: no messenger there (2273), so the Remote Desktop message is tried, once.
TEST_F(Lan, ACurrentWindowsIsNoMessengerAndTheRemoteDesktopMessageIsTriedOnce) {
  const size_t from = Events("windows").size();
  ScriptedDesktops desktops;
  RemoteDesktopFallback m(std::make_shared<wire::WireMessenger>(LanConfig()), desktops);
  EXPECT_EQ(Send(m, u"win10", u"Привет"), kNerrSuccess);
  EXPECT_EQ(desktops.opened, std::vector<std::wstring>{L"win10"});
  EXPECT_EQ(desktops.shown, 1);

  // By its address: its node status alone says so; the Remote Desktop message's failure leaves
  // "no messenger there" standing.
  wire::WireMessenger direct(LanConfig());
  EXPECT_EQ(Send(direct, reinterpret_cast<const char16_t*>(kWindowsAddress), u"Привет"),
            wire::kStatusNameNotFound);
  EXPECT_EQ(Send(m, reinterpret_cast<const char16_t*>(kWindowsAddress), u"Привет"),
            wire::kStatusNameNotFound);
  EXPECT_EQ(desktops.opened, (std::vector<std::wstring>{L"win10", kWindowsAddress}));

  std::vector<std::string> called;
  for (const auto& e : Events("windows", from)) {
    EXPECT_NE(Field(e, "event"), "smb") << e;
    if (Field(e, "event") == "session") called.push_back(Field(e, "called"));
  }
  EXPECT_EQ(called, std::vector<std::string>{"WIN10<03>"});
}

// A Windows XP messenger gives a message group id of its own at the start; every block and the
// end must carry it, or it drops the message.
TEST_F(Lan, AWindowsXpMessengerGetsItsGroupIdOnEveryBlock) {
  const size_t from = Events("xp").size();
  wire::WireMessenger m(LanConfig());
  std::u16string text;
  for (int i = 0; i < 6; ++i) text += u"Съешь же ещё этих мягких французских булок. ";
  ASSERT_EQ(Send(m, u"sidorov", text), kNerrSuccess);

  std::vector<std::string> commands, groups;
  std::string message;
  for (const auto& e : Events("xp", from)) {
    if (Field(e, "event") == "session") {
      EXPECT_EQ(Field(e, "called"), "SIDOROV<03>");
    }
    if (Field(e, "event") == "smb") {
      commands.push_back(Field(e, "command"));
      groups.push_back(Field(e, commands.back() == "0xD5" ? "replied_group" : "group"));
    }
    if (Field(e, "event") == "message") message = Field(e, "text");
  }
  ASSERT_EQ(commands.size(), 2 + (Oem(text).size() + 127) / 128);
  EXPECT_EQ(commands.front(), "0xD5");
  EXPECT_EQ(commands.back(), "0xD6");
  for (const auto& g : groups) EXPECT_EQ(g, "23063");  // 0x5A17
  EXPECT_EQ(message, Hex(Oem(text)));
}
