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
  uint32_t asked = 0;  // the resume handle the page was asked with
  while (status == kEnumOk || status == kEnumMoreData) {
    for (const UserAccount& a : accounts) {
      if (a.name.empty() || a.name.back() == '$') continue;
      if (lines.size() == kMaxServerAccounts) return lines;
      lines.push_back(AccountLine(a.name, a.fullName));
    }
    // A server that kept saying "more" without moving on would hold the window for ever
    // while the list grew.
    if (status != kEnumMoreData || accounts.empty() || resume == asked ||
        lines.size() == kMaxServerAccounts)
      break;
    asked = resume;
    accounts.clear();
    status = enumerator.Enumerate(server, level, resume, accounts);
  }
  return lines;
}

}  // namespace korvel
