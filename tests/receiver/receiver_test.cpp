// Messages through the client to a real receiver, Samba's smbd (tools/receiver.sh), checked by
// what lands in its inbox. CTest starts the receiver before this program and stops it after; it
// tells the program where through KORVEL_RECEIVER (address) and KORVEL_RECEIVER_INBOX (folder).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "sending/wire_messenger.h"

using namespace korvel;
using namespace korvel::wire;
using namespace std::chrono_literals;

namespace {

// One file of the inbox: <date>_<time>_<sender>_<called name>_<random>.txt
struct Arrived {
  std::string sender;  // as smbd writes it: "_" for every byte outside A-Z, a-z, 0-9
  std::string called;  // lower case
  std::string text;    // UTF-8, CR LF turned into LF
};

class Receiver : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* address = std::getenv("KORVEL_RECEIVER");
    const char* inbox = std::getenv("KORVEL_RECEIVER_INBOX");
    if (!address || !inbox) GTEST_SKIP() << "no receiver: run through ctest";
    address_ = *ParseIpv4(std::string_view(address));
    inbox_ = inbox;
  }

  // Name queries and node status go to the receiver's own loopback address, nowhere else.
  WireConfig Config() const {
    WireConfig c;
    c.computerName = u"KorvelRx";
    c.broadcastAddresses = {address_};
    c.nameQueryInterval = 50ms;
    Ipv4 receiver = address_;
    c.resolve = [receiver](std::u16string_view name) -> std::optional<Ipv4> {
      if (name == u"receiver") return receiver;
      return std::nullopt;
    };
    return c;
  }

  NetStatus Send(Messenger& m, const char16_t* to, const char16_t* from, std::u16string text) {
    std::vector<uint8_t> buffer;
    for (char16_t c : text) {
      buffer.push_back(static_cast<uint8_t>(c & 0xFF));
      buffer.push_back(static_cast<uint8_t>(c >> 8));
    }
    buffer.resize(buffer.size() + 2, 0);
    return m.MessageBufferSend(to, from, buffer.data(), static_cast<uint32_t>(2 * text.size() + 1));
  }

  // Everything in the inbox. smbd answers the end of a message only after its command has
  // written the file, so a delivery that returned 0 is already here.
  std::vector<Arrived> Inbox() const {
    std::vector<Arrived> all;
    for (const auto& entry : std::filesystem::directory_iterator(inbox_)) {
      std::string name = entry.path().filename().string();
      if (name.empty() || name[0] == '.' || name.size() < 4) continue;
      name.resize(name.size() - 4);  // ".txt"
      std::vector<std::string> parts;
      std::stringstream s(name);
      for (std::string part; std::getline(s, part, '_');) parts.push_back(part);
      if (parts.size() < 5) continue;
      Arrived a;
      for (size_t i = 2; i + 2 < parts.size(); ++i) a.sender += (i > 2 ? "_" : "") + parts[i];
      a.called = parts[parts.size() - 2];
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      a.text = text.str();
      all.push_back(a);
    }
    return all;
  }

  std::vector<Arrived> From(const std::string& sender) const {
    std::vector<Arrived> found;
    for (const Arrived& a : Inbox())
      if (a.sender == sender) found.push_back(a);
    return found;
  }

  std::vector<Arrived> WithText(const std::string& text) const {
    std::vector<Arrived> found;
    for (const Arrived& a : Inbox())
      if (a.text == text) found.push_back(a);
    return found;
  }

  Ipv4 address_;
  std::filesystem::path inbox_;
};

std::string Utf8(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

TEST_F(Receiver, CyrillicTextOfManyBlocksArrivesWholeAndInItsOwnLetters) {
  WireMessenger m(Config());
  std::u16string text;
  for (int i = 0; i < 4; ++i) text += u"Съешь же ещё этих мягких французских булок, да выпей чаю. ";
  text += u"Ёж, №7, «кавычки» — тире…";
  ASSERT_GT(text.size(), 128u * 2);
  ASSERT_EQ(Send(m, u"receiver", u"RxCyrillic", text), kNerrSuccess);
  auto arrived = From("RxCyrillic");
  ASSERT_EQ(arrived.size(), 1u);
  std::u16string expected = text.substr(0, text.size() - 25) + u"Ёж, №7, \"кавычки\" - тире...";
  EXPECT_EQ(arrived[0].text, Utf8(expected));
}

TEST_F(Receiver, LinesArriveAsLinesAndTheEmptyMessageArrivesEmpty) {
  WireMessenger m(Config());
  ASSERT_EQ(Send(m, u"receiver", u"RxLines", u"Первая строка\r\nВторая\r\n\r\nчетвёртая"),
            kNerrSuccess);
  ASSERT_EQ(Send(m, u"receiver", u"RxEmpty", u""), kNerrSuccess);
  auto lines = From("RxLines");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, Utf8(u"Первая строка\nВторая\n\nчетвёртая"));
  auto empty = From("RxEmpty");
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_EQ(empty[0].text, "");
}

TEST_F(Receiver, SenderIsTheNameGivenOrThisComputersName) {
  WireMessenger m(Config());
  ASSERT_EQ(Send(m, u"receiver", nullptr, u"от компьютера"), kNerrSuccess);
  ASSERT_EQ(Send(m, u"receiver", u"Иван", u"от Ивана"), kNerrSuccess);
  auto computer = WithText(Utf8(u"от компьютера"));
  ASSERT_EQ(computer.size(), 1u);
  EXPECT_EQ(computer[0].sender, "KORVELRX");
  // smbd shows each byte of the sender's UTF-8 as "_": four Cyrillic letters, eight bytes. Sent
  // as UTF-8 itself they would have come out as twelve letters of 866, and more bytes.
  auto ivan = WithText(Utf8(u"от Ивана"));
  ASSERT_EQ(ivan.size(), 1u);
  EXPECT_EQ(ivan[0].sender, "________");
}

TEST_F(Receiver, CalledByNameOrAsAnyServerAtAnAddress) {
  WireMessenger m(Config());
  ASSERT_EQ(Send(m, u"receiver", u"RxByName", u"x"), kNerrSuccess);
  const std::string dotted = ToString(address_);
  const std::u16string address(dotted.begin(), dotted.end());
  ASSERT_EQ(Send(m, address.c_str(), u"RxByAddress", u"x"), kNerrSuccess);
  ASSERT_EQ(From("RxByName").size(), 1u);
  EXPECT_EQ(From("RxByName")[0].called, "receiver");
  ASSERT_EQ(From("RxByAddress").size(), 1u);
  // smbd writes an address in place of "*SMBSERVER".
  EXPECT_TRUE(ParseIpv4(From("RxByAddress")[0].called)) << From("RxByAddress")[0].called;
}

TEST_F(Receiver, WorkersOfOneJobDeliverAtTheSameTimeEachMessageOnce) {
  WireMessenger m(Config());
  std::vector<std::thread> workers;
  std::atomic<int> delivered{0};
  for (int t = 0; t < 8; ++t)
    workers.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) {
        std::u16string text = u"Параллельно " + std::u16string(1, static_cast<char16_t>(u'A' + t)) +
                              std::u16string(1, static_cast<char16_t>(u'0' + i));
        delivered += Send(m, u"receiver", u"RxParallel", text) == kNerrSuccess;
      }
    });
  for (auto& w : workers) w.join();
  EXPECT_EQ(delivered, 40);
  std::map<std::string, int> seen;
  for (const Arrived& a : From("RxParallel")) ++seen[a.text];
  EXPECT_EQ(seen.size(), 40u);
  for (const auto& [text, count] : seen) EXPECT_EQ(count, 1) << text;
}
