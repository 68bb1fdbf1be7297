// An address book of realistic shape for the benchmarks: groups of 50 addresses of every
// kind, with Russian names and comments.
#pragma once

#include <string>

#include "addressbook/address_tree.h"
#include "base/text.h"

namespace korvel {

inline void FillBook(AddressTree& tree, int nodes) {
  const std::string dept = Cp1251FromUtf8("Отдел кадров, этаж ");
  const std::string person = Cp1251FromUtf8(" (Иванов Иван Петрович, бухгалтерия)");
  const std::string room = Cp1251FromUtf8(" (кабинет 214)");
  Node group = nullptr;
  for (int i = 0; i < nodes; ++i) {
    std::string n = IntToStr(i);
    if (i % 51 == 0) {
      group = tree.AddLast(nullptr, dept + n, kGroupNode);
      continue;
    }
    switch (i % 4) {
      case 0:
        tree.AddLast(group, "ivanov" + n + person, kAddressNode);
        break;
      case 1:
        tree.AddLast(group, "PC-" + n + room, kComputerNode);
        break;
      case 2:
        tree.AddLast(group, "192.168." + IntToStr(i / 256 % 256) + "." + IntToStr(i % 256) + room,
                     kComputerNode);
        break;
      default:
        tree.AddLast(group, "WORKGROUP" + IntToStr(i % 7), kWorkgroupNode);
    }
  }
}

}  // namespace korvel
