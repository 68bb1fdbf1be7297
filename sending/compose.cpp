#include "sending/compose.h"

#include <algorithm>

#include "base/string_table.h"

namespace korvel {

namespace {
char UpperLatin(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool SameSenderName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return UpperLatin(x) == UpperLatin(y); });
}

std::string AddToSenderList(std::vector<std::string>& history, const std::string& sender,
                            int maxSender) {
  auto found = std::find_if(history.begin(), history.end(), [&](const std::string& entry) {
    return SameSenderName(entry, sender);
  });
  if (found != history.end())
    std::rotate(history.begin(), found, found + 1);
  else
    history.insert(history.begin(), sender);
  std::string top = history.front();
  if (static_cast<long long>(history.size()) > maxSender) history.pop_back();
  return top;
}

std::string MessageFromLines(const std::vector<std::string>& lines) {
  size_t count = lines.size();
  if (count > 0 && lines.back().empty()) --count;
  const std::string lineBreak = LoadStr(IDS_LINE_BREAK);
  std::string message;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) message += lineBreak;
    message += lines[i];
  }
  return message;
}

}  // namespace korvel
