// The user accounts of a server, as the server import lists them: one line per account,
// read page by page from the network management interface behind UserEnumerator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// Status values of the user enumeration that the import relies on.
constexpr uint32_t kEnumOk = 0;
constexpr uint32_t kEnumMoreData = 234;      // ERROR_MORE_DATA: call again with the resume handle
constexpr uint32_t kEnumInvalidLevel = 124;  // ERROR_INVALID_LEVEL

// Information levels: 2 is what the import asks for; 20 carries the name and the full name
// as well, and is answered where 2 is not (Wine answers only 0 and 20).
constexpr int kUserLevelFull = 2;
constexpr int kUserLevelNames = 20;

struct UserAccount {
  std::string name;      // Windows-1251
  std::string fullName;  // Windows-1251, may be empty
};

// One call of the system's user enumeration (NetUserEnum for every account type, everything
// at once where the server allows): fills `accounts` with the entries read and returns the
// status; `resume` goes in and comes back as the system's resume handle.
class UserEnumerator {
 public:
  virtual ~UserEnumerator() = default;
  virtual uint32_t Enumerate(const std::string& server, int level, uint32_t& resume,
                             std::vector<UserAccount>& accounts) = 0;
};

// The server argument for a server name as typed: "\\" and the name, always (a name typed
// with its own backslashes gets two more), cut to the 128 characters the call takes.
std::string ServerArgument(std::string_view typed);

// "name", or "name (full name)" when the full name is not empty.
std::string AccountLine(std::string_view name, std::string_view fullName);

// The most account lines a listing holds: far more than a check list can show usefully,
// and a bound on what a server that never stops saying "more" can make the program hold.
constexpr size_t kMaxServerAccounts = 100000;

// The lines of every account of `server` (as typed), in the server's order, page after page
// while the server says there is more; computer accounts (a name ending in "$") and empty
// names are left out. A failure ends the listing with the lines read until then; a server
// that refuses level 2 is asked for level 20. The listing also ends at a page that is empty
// or leaves the resume handle where it was (the next would be the same page again), and at
// kMaxServerAccounts lines.
std::vector<std::string> EnumUsers(UserEnumerator& enumerator, std::string_view server);

}  // namespace korvel
