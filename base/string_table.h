// The program's string table: the texts that messages, keys and links are built from.
#pragma once

#include <string>

namespace korvel {

enum StringId : unsigned {
#define X(name, number, text) name = number,
#include "res/strings.def"
#undef X
};

// The string table entry `id` as Windows-1251 text ("" for an unknown id).
std::string LoadStr(unsigned id);

}  // namespace korvel
