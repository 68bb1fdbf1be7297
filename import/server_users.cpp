// Listing a server's user accounts for the server import.
#include "import/server_users.h"

namespace korvel {

namespace {
constexpr size_t kMaxServerArgument = 128;
}

std::string ServerArgument(std::string_view typed) {
  std::string server = "\\\\" + std::string(typed);
  if (server.size() > kMaxServerArgument) server.resize(kMaxServerArgument);
  return server;
}

std::string AccountLine(std::string_view name, std::string_view fullName) {
  std::string line(name);
  if (!fullName.empty()) line += " (" + std::string(fullName) + ")";
  return line;
}

std::vector<std::string> EnumUsers(UserEnumerator& enumerator, std::string_view typed) {
  const std::string server = ServerArgument(typed);
  int level = kUserLevelFull;
  uint32_t resume = 0;
  std::vector<UserAccount> accounts;
  uint32_t status = enumerator.Enumerate(server, level, resume, accounts);
  if (status == kEnumInvalidLevel) {
    level = kUserLevelNames;
    resume = 0;
    accounts.clear();
    status = enumerator.Enumerate(server, level, resume, accounts);
  }
  std::vector<std::string> lines;
  while (status == kEnumOk || status == kEnumMoreData) {
    for (const UserAccount& a : accounts) {
      if (a.name.empty() || a.name.back() == '$') continue;
      lines.push_back(AccountLine(a.name, a.fullName));
    }
    // A server that kept saying "more" without giving any would hold the window forever.
    if (status != kEnumMoreData || accounts.empty()) break;
    accounts.clear();
    status = enumerator.Enumerate(server, level, resume, accounts);
  }
  return lines;
}

}  // namespace korvel
