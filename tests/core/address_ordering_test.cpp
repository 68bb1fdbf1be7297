// The order of addresses in a group: the first-word key, the IPv4 parser, the comparison.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "addressbook/ordering.h"
#include "base/text.h"

using namespace korvel;

namespace {
std::string W(const char* utf8) { return Cp1251FromUtf8(utf8); }

std::vector<std::string> Sorted(std::vector<std::string> texts) {
  OrderingServices services = PortableOrdering();
  std::stable_sort(texts.begin(), texts.end(), [&](const std::string& a, const std::string& b) {
    return TreeAddressesCompare(a, b, services) < 0;
  });
  return texts;
}
}  // namespace

TEST(Ordering, FirstWordIsTheTrimmedTextBeforeTheFirstBlank) {
  EXPECT_EQ(FirstWord(W("192.168.0.7 (бухгалтерия)")), "192.168.0.7");
  EXPECT_EQ(FirstWord("192.168.0.7 PC7"), "192.168.0.7");
  EXPECT_EQ(FirstWord("1.2.3.4\t x"), "1.2.3.4");
  EXPECT_EQ(FirstWord(" 1.2.3.4 x"), "");
  EXPECT_EQ(FirstWord("1.2.3.4(x)\t"), "1.2.3.4(x)\t");
}

TEST(Ordering, InetAddrMatchesWinsock) {
  // Values as Winsock returns them on a little-endian machine.
  EXPECT_EQ(InetAddr("192.168.0.10"), 0x0a00a8c0u);
  EXPECT_EQ(InetAddr("0x7f.1"), 0x0100007fu);
  EXPECT_EQ(InetAddr("1.2.3"), 0x03000201u);
  EXPECT_EQ(InetAddr("010.0.0.1"), 0x01000008u);
  EXPECT_EQ(InetAddr("1.2.3.4 "), 0x04030201u);
  EXPECT_EQ(InetAddr("1.2.3.4 junk"), 0x04030201u);
  EXPECT_EQ(InetAddr("0XFF.0377.0.1"), 0x0100ffffu);
  EXPECT_EQ(InetAddr("3232235530"), 0x0a00a8c0u);
  EXPECT_EQ(InetAddr("1.16777215"), 0xffffff01u);
  EXPECT_EQ(InetAddr("1.2.65535"), 0xffff0201u);
  EXPECT_EQ(InetAddr("0"), 0u);
  const char* rejected[] = {"255.255.255.255",
                            " 1.2.3.4",
                            "1.2.3.4.5",
                            "256.1.1.1",
                            "",
                            "1.16777216",
                            "1.2.65536",
                            "4294967296",
                            "1..2",
                            "1.2.3.4.",
                            "+1.2.3.4",
                            "08.1.1.1",
                            "0x.1",
                            "1.2.3.4\t",
                            "1.2.3.4x",
                            "99999999999999999999"};
  for (const char* text : rejected) EXPECT_EQ(InetAddr(text), kInaddrNone) << text;
}

TEST(Ordering, AddressesFirstByNumberThenNamesByCollation) {
  EXPECT_EQ(Sorted({"PC7", "10.0.0.2", "192.168.0.10", "192.168.0.9", "admin"}),
            (std::vector<std::string>{"10.0.0.2", "192.168.0.9", "192.168.0.10", "admin", "PC7"}));
  EXPECT_EQ(Sorted({"HOME", "255.255.255.255", W("192.168.0.7 (бухгалтерия)"), "192.168.0.6"}),
            (std::vector<std::string>{"192.168.0.6", W("192.168.0.7 (бухгалтерия)"),
                                      "255.255.255.255", "HOME"}));
  // By number, most significant byte first: as the addresses lie in memory (network order
  // read as a little-endian number) 10.0.0.1 would come first.
  EXPECT_EQ(Sorted({"10.0.0.1", "9.0.0.2", "9.255.0.1"}),
            (std::vector<std::string>{"9.0.0.2", "9.255.0.1", "10.0.0.1"}));
}

TEST(Ordering, CompareRanksByFirstWordAndCollatesWholeNames) {
  OrderingServices services = PortableOrdering();
  EXPECT_EQ(TreeAddressesCompare("10.0.0.1 PC1", "10.0.0.1 (x)", services), 0);
  EXPECT_EQ(TreeAddressesCompare("name", "10.0.0.1", services), 1);
  EXPECT_EQ(TreeAddressesCompare("10.0.0.1", "name", services), -1);
  EXPECT_NE(TreeAddressesCompare("pc7", "PC7", services), 0);

  std::string seen;
  services.collate = [&](std::string_view a, std::string_view b) {
    seen = std::string(a) + "|" + std::string(b);
    return -7;
  };
  EXPECT_EQ(TreeAddressesCompare("a b", "a c", services), -7);
  EXPECT_EQ(seen, "a b|a c");
}

TEST(Ordering, StandInCollationFollowsTheMeasuredLocaleOrder) {
  const char* before[][2] = {{"pc7", "PC7"}, {"pc10", "pc9"}, {"пк7", "ПК7"},
                             {"е", "ё"},     {"ё", "ж"},      {"z", "а"},
                             {"Ёж", "жук"},  {"ab", "AB1"},   {"я р", "Яр"}};
  for (auto& p : before) {
    EXPECT_LT(SimpleCollate(W(p[0]), W(p[1])), 0) << p[0] << " " << p[1];
    EXPECT_GT(SimpleCollate(W(p[1]), W(p[0])), 0) << p[0] << " " << p[1];
  }
  EXPECT_EQ(SimpleCollate(W("Ёлка"), W("Ёлка")), 0);
}
