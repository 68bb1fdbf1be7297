#include "base/message_box_win.h"

#include "base/text_win.h"

namespace korvel {

namespace {
std::string& Title() {
  static std::string title = "Korvel";
  return title;
}
std::function<void(const std::string&)>& Sink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}
}  // namespace

const std::string& ApplicationTitle() { return Title(); }
void SetApplicationTitle(const std::string& title) { Title() = title; }

void ShowMessage(const std::string& text) {
  if (Sink()) {
    Sink()(text);
    return;
  }
  MessageBoxW(GetActiveWindow(), Widen(text).c_str(), Widen(Title()).c_str(), MB_OK);
}

void SetMessageSinkForTests(std::function<void(const std::string&)> sink) {
  Sink() = std::move(sink);
}

}  // namespace korvel
