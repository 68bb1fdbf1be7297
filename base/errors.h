// The error a handler raises when it must stop and show its text in a message box.
#pragma once

#include <stdexcept>
#include <string>

namespace korvel {

// `what()` is Windows-1251 text meant for the user.
class KorvelError : public std::runtime_error {
 public:
  explicit KorvelError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace korvel
