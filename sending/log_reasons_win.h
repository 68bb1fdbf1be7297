// The reason of a failed log line for screen readers: the list's lines get an accessible
// description through the system's annotation service, which asks back here for each line
// as a reader reaches it. Where the service is missing (Wine has none), the lines keep
// their tips (LVN_GETINFOTIP), which readers also speak.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace korvel {

class ReasonServer;

class LogReasons {
 public:
  // `reason(row)` gives line `row`'s description, empty for none; it is asked on the UI
  // thread while this object lives.
  LogReasons(HWND list, std::function<std::wstring(size_t row)> reason);
  ~LogReasons();
  LogReasons(const LogReasons&) = delete;
  LogReasons& operator=(const LogReasons&) = delete;

  // Whether the system took the descriptions.
  bool Annotated() const { return server_ != nullptr; }

 private:
  HWND list_;
  bool com_ = false;
  ReasonServer* server_ = nullptr;
};

}  // namespace korvel
