// The messenger protocol's packets against captures of the reference client and receiver, and
// the parsers against answers that are almost right.
#include <gtest/gtest.h>

#include "sending/name_service.h"
#include "sending/netbios.h"
#include "sending/oem866.h"
#include "sending/smb_message.h"
#include "sending/wire_status.h"
#include "tests/core/wire_fakes.h"

using namespace korvel;
using namespace korvel::wire;
using korvel::wire::fake::Bytes;

namespace {

Bytes Hex(std::string_view text) {
  Bytes b;
  int nibbles = 0;
  uint8_t v = 0;
  for (char c : text) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) continue;
    v = static_cast<uint8_t>(v << 4 | d);
    if (++nibbles % 2 == 0) b.push_back(v);
  }
  return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

SmbReply Parse(const Bytes& sessionMessage, uint8_t command) {
  return ParseSmbReply(sessionMessage.data() + 4, sessionMessage.size() - 4, command);
}

}  // namespace

TEST(WirePackets, SessionRequestIsTheOneTheReferenceClientSends) {
  // smbclient -M SMBMSGRX from a computer named VM.
  Bytes captured = Hex(
      "81 00 00 44"
      "20 46 44 45 4E 45 43 45 4E 46 44 45 48 46 43 46 49"  // SMBMSGRX
      "   43 41 43 41 43 41 43 41 43 41 43 41 43 41 41 44 00"
      "20 46 47 45 4E"  // VM
      "   43 41 43 41 43 41 43 41 43 41 43 41 43 41 43 41 43 41 43 41 43 41 43 41 43 41 41 41 00");
  EXPECT_EQ(BuildSessionRequest(MakeNetbiosName("SMBMSGRX", kMessengerSuffix),
                                MakeNetbiosName("VM", kWorkstationSuffix)),
            captured);
  auto decoded = DecodeName(captured.data() + 4, captured.size() - 4);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->Name(), "SMBMSGRX");
  EXPECT_EQ(decoded->Suffix(), kMessengerSuffix);
}

TEST(WirePackets, MessengerRequestsAreTheCapturedOnesWithTheirIdsZero) {
  // The reference client's delivery of "Hello from sender\r\n"; it sets PID 0x2636, which the
  // published protocol has a sender leave at zero.
  const Bytes header =
      Hex("FF 53 4D 42 %% 00000000 00 0000 0000 0000000000000000 0000 0000 0000 0000 0000");
  auto withCommand = [&](uint8_t command) {
    Bytes h = header;
    h.insert(h.begin() + 4, command);
    return h;
  };
  EXPECT_EQ(BuildSendStart("alice", "SMBMSGRX"),
            Cat({Hex("00 00 00 34"), withCommand(0xD5),
                 Hex("00 | 11 00 | 04 61 6C 69 63 65 00 04 53 4D 42 4D 53 47 52 58 00")}));
  EXPECT_EQ(BuildSendText(0, "Hello from sender\r\n"),
            Cat({Hex("00 00 00 3B"), withCommand(0xD7),
                 Hex("01 | 00 00 | 16 00 | 01 13 00 48 65 6C 6C 6F 20 66 72 6F 6D 20 73 65 6E 64 "
                     "65 72 0D 0A")}));
  EXPECT_EQ(BuildSendEnd(0), Cat({Hex("00 00 00 25"), withCommand(0xD6), Hex("01 00 00 00 00")}));
  EXPECT_EQ(BuildSendEnd(0x1234)[4 + 33], 0x34);
}

// Refusals, wrong commands and short packets are the fake peers' (wire_messenger_test.cpp);
// here, what only shows in the bytes.
TEST(WirePackets, ReplyStatusIsReadInTheFormItsFlagsSay) {
  // Samba's success reply: NT form, status 0.
  Bytes ok =
      Hex("00 00 00 23 FF 53 4D 42 D5 00000000 80 0340 0000 0000000000000000 0000 0000 "
          "3626 0000 0000 00 00 00");
  EXPECT_EQ(Parse(ok, kSmbSendStart).kind, SmbReply::Kind::Accepted);
  // DOS form: class 0 is success whatever the code...
  Bytes dos = ok;
  dos[4 + 11] = 0x00;
  dos[4 + 7] = 0x05;
  EXPECT_EQ(Parse(dos, kSmbSendStart).kind, SmbReply::Kind::Accepted);
  // ...where the same bytes with the NT flag are a refusal.
  dos[4 + 11] = 0x40;
  EXPECT_EQ(Parse(dos, kSmbSendStart).kind, SmbReply::Kind::Refused);
  Bytes ntHighByte = ok;
  ntHighByte[4 + 8] = 0xC0;
  EXPECT_EQ(Parse(ntHighByte, kSmbSendStart).kind, SmbReply::Kind::Refused);

  // A start reply with a word carries the message group; its byte count must still fit.
  Bytes withGroup =
      Hex("00 00 00 25 FF 53 4D 42 D5 00000000 80 0340 0000 0000000000000000 0000 "
          "0000 0000 0000 0000 01 34 12 00 00");
  EXPECT_EQ(Parse(withGroup, kSmbSendStart).group, 0x1234);
  withGroup.pop_back();
  EXPECT_EQ(Parse(withGroup, kSmbSendStart).kind, SmbReply::Kind::Malformed);
}

TEST(WirePackets, NameQueryAnswersMustAnswerOurQuestion) {
  const NetbiosName pc7 = MakeNetbiosName("PC7", kMessengerSuffix);
  Bytes query = BuildNameQuery(0x4242, pc7, true);
  EXPECT_EQ(fake::QuestionNameOf(query), "PC7<03>");
  EXPECT_EQ(Bytes(query.begin(), query.begin() + 12), Hex("4242 0110 0001 0000 0000 0000"));
  Bytes answer = fake::NameQueryAnswerFor(query, Ipv4{0x0A000007});

  NameQueryAnswer a = ParseNameQueryAnswer(answer.data(), answer.size(), 0x4242, pc7);
  ASSERT_EQ(a.kind, NameQueryAnswer::Kind::Positive);
  ASSERT_EQ(a.addresses.size(), 1u);
  EXPECT_EQ(ToString(a.addresses[0]), "10.0.0.7");

  EXPECT_EQ(ParseNameQueryAnswer(answer.data(), answer.size(), 0x4243, pc7).kind,
            NameQueryAnswer::Kind::NotAnAnswer);
  EXPECT_EQ(ParseNameQueryAnswer(answer.data(), answer.size(), 0x4242,
                                 MakeNetbiosName("PC8", kMessengerSuffix))
                .kind,
            NameQueryAnswer::Kind::NotAnAnswer);
  // The answer's name may point back at the question, as DNS-style responders write it.
  Bytes compressed =
      Cat({Hex("4242 8500 0001 0001 0000 0000"), Bytes(query.begin() + 12, query.begin() + 12 + 34),
           Hex("0020 0001 | C00C 0020 0001 00000000 0006 0000 0A000008")});
  a = ParseNameQueryAnswer(compressed.data(), compressed.size(), 0x4242, pc7);
  ASSERT_EQ(a.kind, NameQueryAnswer::Kind::Positive);
  EXPECT_EQ(ToString(a.addresses.at(0)), "10.0.0.8");

  Bytes negative = answer;
  negative[3] = 0x03;  // name error
  EXPECT_EQ(ParseNameQueryAnswer(negative.data(), negative.size(), 0x4242, pc7).kind,
            NameQueryAnswer::Kind::Negative);
  Bytes cut = answer;
  cut.pop_back();
  EXPECT_EQ(ParseNameQueryAnswer(cut.data(), cut.size(), 0x4242, pc7).kind,
            NameQueryAnswer::Kind::NotAnAnswer);
  Bytes ourOwnQuestion = query;
  EXPECT_EQ(ParseNameQueryAnswer(ourOwnQuestion.data(), ourOwnQuestion.size(), 0x4242, pc7).kind,
            NameQueryAnswer::Kind::NotAnAnswer);
}

TEST(WirePackets, NodeStatusListsNamesAndTheMessengerNameIsTheComputers) {
  Bytes query = BuildNodeStatusQuery(7);
  EXPECT_EQ(fake::QuestionNameOf(query), "*<00>");
  // '*' is 0x2A: "CK", then NULs, not blanks: "AA".
  EXPECT_EQ(std::string(query.begin() + 13, query.begin() + 17), "CKAA");
  EXPECT_EQ(fake::QuestionTypeOf(query), 0x21);
  Bytes answer = fake::NodeStatusAnswerFor(
      query, {"IVANOV<03>", "WORKGROUP<03>G", "PC7<00>", "PC7<03>", "WORKGROUP<00>G"});
  auto names = ParseNodeStatusAnswer(answer.data(), answer.size(), 7);
  ASSERT_TRUE(names);
  ASSERT_EQ(names->size(), 5u);
  EXPECT_TRUE((*names)[1].group);
  EXPECT_EQ(MessengerNameOf(*names)->Name(), "PC7");
  names->erase(names->begin() + 2);
  EXPECT_EQ(MessengerNameOf(*names)->Name(), "IVANOV");
  names->erase(names->begin());      // IVANOV
  names->erase(names->begin() + 1);  // PC7<03>: only group names are left
  EXPECT_FALSE(MessengerNameOf(*names));

  Bytes tooMany = answer;
  tooMany[12 + 34 + 10] = 40;  // more names than the record holds
  EXPECT_FALSE(ParseNodeStatusAnswer(tooMany.data(), tooMany.size(), 7));
  EXPECT_FALSE(ParseNodeStatusAnswer(answer.data(), 60, 7));
  EXPECT_FALSE(ParseNodeStatusAnswer(answer.data(), answer.size(), 8));
}
