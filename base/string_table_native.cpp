// The string table for the native build, where there are no resources: the same
// entries as the program's resource, converted to Windows-1251.
#include "base/string_table.h"
#include "base/text.h"

namespace korvel {

std::string LoadStr(unsigned id) {
  switch (id) {
#define X(name, number, text) \
  case number:                \
    return Cp1251FromUtf8(text);
#include "res/strings.def"
#undef X
  }
  return {};
}

}  // namespace korvel
