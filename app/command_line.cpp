#include "app/command_line.h"

namespace korvel {

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  for (;;) {
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= 32) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    for (; i < line.size(); ++i) {
      char c = line[i];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && static_cast<unsigned char>(c) <= 32) {
        break;
      } else {
        arg += c;
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string FirstArgument(const std::string& commandLine) {
  auto args = SplitCommandLine(commandLine);
  return args.size() > 1 ? args[1] : std::string();
}

}  // namespace korvel
