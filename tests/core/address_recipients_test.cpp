// Recipients from the address tree: the address part of a text and the text a click builds.
#include <gtest/gtest.h>

#include "addressbook/memory_tree.h"
#include "addressbook/recipients.h"
#include "base/text.h"

using namespace korvel;

namespace {
std::string W(const char* utf8) { return Cp1251FromUtf8(utf8); }
}  // namespace

TEST(Recipients, AddressPartIsTheTrimmedTextBeforeTheFirstParenthesis) {
  EXPECT_EQ(GETIP(W("192.168.0.7 (бухгалтерия)")), "192.168.0.7");
  EXPECT_EQ(GETIP(W("ivanov (Иванов Иван)")), "ivanov");
  EXPECT_EQ(GETIP("PC7"), "PC7");
  EXPECT_EQ(GETIP("(x)"), "");
  EXPECT_EQ(GETIP(" \tPC7\x01(a(b"), "PC7");
  // Without "(" the text is taken as it is, blanks and ")" included.
  EXPECT_EQ(GETIP(" PC7) "), " PC7) ");
}

TEST(Recipients, GroupGivesItsDirectChildrenJoined) {
  MemoryTree tree;
  Node g = tree.AddLast(nullptr, "Group", kGroupNode);
  EXPECT_EQ(RecipientTextOf(tree, g), "");
  tree.AddLast(g, W("ivanov (Иванов Иван)"), kAddressNode);
  tree.AddLast(g, "PC7", kComputerNode);
  tree.AddLast(g, W("HOME (дом)"), kWorkgroupNode);
  Node sub = tree.AddLast(g, "Sub (inner)", kGroupNode);
  tree.AddLast(sub, "deep", kAddressNode);
  tree.AddLast(g, W("Вся сеть"), kWorkgroupNode);
  tree.AddLast(g, W("Вся сеть"), kAddressNode);
  EXPECT_EQ(RecipientTextOf(tree, g), W("ivanov, PC7, HOME*, Sub, *, Вся сеть"));
  EXPECT_EQ(RecipientTextOf(tree, sub), "deep");
  EXPECT_EQ(RecipientTextOf(tree, nullptr), "");
}

TEST(Recipients, EmptyAddressPartsAddNoLeadingSeparatorButKeepTheirPlaceLater) {
  MemoryTree tree;
  Node first = tree.AddLast(nullptr, "", kGroupNode);
  tree.AddLast(first, "", kAddressNode);
  tree.AddLast(first, "(comment)", kAddressNode);
  tree.AddLast(first, "B", kAddressNode);
  EXPECT_EQ(RecipientTextOf(tree, first), "B");
  Node middle = tree.AddLast(nullptr, "", kGroupNode);
  tree.AddLast(middle, "A", kAddressNode);
  tree.AddLast(middle, "", kAddressNode);
  tree.AddLast(middle, "B", kAddressNode);
  EXPECT_EQ(RecipientTextOf(tree, middle), "A, , B");
}

TEST(Recipients, SingleNodeGivesItsAddressPartAndWorkgroupsAStar) {
  MemoryTree tree;
  auto click = [&](const std::string& text, int kind) {
    return RecipientTextOf(tree, tree.AddLast(nullptr, text, kind));
  };
  EXPECT_EQ(click(W("ivanov (Иванов)"), kAddressNode), "ivanov");
  EXPECT_EQ(click("HOME", kWorkgroupNode), "HOME*");
  EXPECT_EQ(click(W("Вся сеть"), kWorkgroupNode), "*");
  EXPECT_EQ(click(W("Вся сеть"), kAddressNode), W("Вся сеть"));
  EXPECT_EQ(click(W("Вся сеть"), kComputerNode), W("Вся сеть"));
  // Only the exact text is the whole network.
  EXPECT_EQ(click(W("Вся сеть "), kWorkgroupNode), W("Вся сеть *"));
  EXPECT_TRUE(IsWholeNetwork(W("Вся сеть")));
  EXPECT_FALSE(IsWholeNetwork(W("вся сеть")));
}
