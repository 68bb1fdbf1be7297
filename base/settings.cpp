#include "base/settings.h"

#include <algorithm>
#include <string_view>

#include "base/string_table.h"
#include "base/text.h"

namespace korvel {

namespace {
constexpr const char* kDefaults = "Defaults";
constexpr const char* kWindowPosition = "Window Position";
constexpr const char* kWindowState = "Window State";

// The recipient file's path as the settings file spells it (Windows-1251) and as the program
// holds it (UTF-8). The byte 0x98, which 1251 leaves undefined, is U+0098 as Windows reads
// it, both ways: the path names the file Windows would open, and goes back byte for byte.
constexpr std::string_view kUndefined = "\x98";
constexpr std::string_view kUndefinedUtf8 = "\xC2\x98";

std::string Replaced(std::string_view text, std::string_view from, std::string_view to,
                     std::string (*convert)(std::string_view)) {
  std::string out;
  for (;;) {
    const size_t at = text.find(from);
    out += convert(text.substr(0, at));
    if (at == std::string_view::npos) return out;
    out += to;
    text.remove_prefix(at + from.size());
  }
}

std::string PathFromFile(std::string_view stored) {
  return Replaced(stored, kUndefined, kUndefinedUtf8, &Utf8FromCp1251);
}

std::string PathToFile(std::string_view path) {
  return Replaced(path, kUndefinedUtf8, kUndefined, &Cp1251FromUtf8);
}
}  // namespace

std::string SettingsFileName(const std::string& exePath) { return ChangeFileExt(exePath, ".ini"); }

void ReadSettings(const IniFile& ini, const std::string& exePath, Settings& out) {
  const Settings defaults;
  out.DeltaClear = ini.ReadInteger(kDefaults, "DeltaClear", defaults.DeltaClear);
  out.MaxSender = ini.ReadInteger(kDefaults, "MaxSender", defaults.MaxSender);
  out.MaxThreads = ini.ReadInteger(kDefaults, "MaxThreads", defaults.MaxThreads);
  out.MaxLineLog = ini.ReadInteger(kDefaults, "MaxLineLog", defaults.MaxLineLog);
  out.PatchInstalled = ini.ReadBool(kDefaults, "PatchInstalled", defaults.PatchInstalled);
  out.WhatSend = static_cast<uint8_t>(ini.ReadInteger(kDefaults, "WhatSend", defaults.WhatSend));
  std::string folder = ExtractFilePath(exePath);
  out.HelpFile = folder + "HELP\\help.htm";
  out.FaqFile = folder + "HELP\\faq.htm";
  const std::string defaultBook = ChangeFileExt(exePath, ".dat");
  std::string stored = ini.ReadString(kDefaults, "RecipientFile", "");
  out.RecipientFile = stored.empty() ? defaultBook : PathFromFile(stored);
}

bool WriteSettings(IniFile& ini, const Settings& s) {
  bool ok = ini.WriteInteger(kDefaults, "DeltaClear", s.DeltaClear);
  ok &= ini.WriteInteger(kDefaults, "MaxSender", s.MaxSender);
  ok &= ini.WriteInteger(kDefaults, "MaxLineLog", s.MaxLineLog);
  ok &= ini.WriteInteger(kDefaults, "MaxThreads", s.MaxThreads);
  std::string book = PathToFile(s.RecipientFile);
  ok &= ini.WriteString(kDefaults, "RecipientFile",
                        PathFromFile(book) == s.RecipientFile ? book : std::string());
  ok &= ini.WriteBool(kDefaults, "PatchInstalled", s.PatchInstalled);
  ok &= ini.WriteInteger(kDefaults, "WhatSend", s.WhatSend);
  return ok;
}

WindowGeometry ReadWindowPosition(const IniFile& ini, const WindowGeometry& designed) {
  WindowGeometry g;
  g.top = ini.ReadInteger(kWindowPosition, "Top", 0);
  g.left = ini.ReadInteger(kWindowPosition, "Left", 0);
  g.width = ini.ReadInteger(kWindowPosition, "Width", designed.width);
  g.height = ini.ReadInteger(kWindowPosition, "Height", designed.height);
  return g;
}

int ReadWindowState(const IniFile& ini) {
  int v = ini.ReadInteger(kWindowState, "WindowState", 0);
  return v >= 0 && v <= 2 ? v : -1;
}

bool WriteWindowGeometry(IniFile& ini, const WindowGeometry& g, WindowState state) {
  bool ok = true;
  if (state == WindowState::Normal) {
    ok &= ini.WriteInteger(kWindowPosition, "Top", g.top);
    ok &= ini.WriteInteger(kWindowPosition, "Left", g.left);
  }
  ok &= ini.WriteInteger(kWindowPosition, "Width", g.width);
  ok &= ini.WriteInteger(kWindowPosition, "Height", g.height);
  ok &= ini.WriteInteger(kWindowState, "WindowState", static_cast<int>(state));
  return ok;
}

std::vector<std::string> ReadSenderHistory(const IniFile& ini, int maxSender) {
  // Keys Sender1..Sender<maxSender> in number order. The section is read once and the
  // numbers picked from it, so a huge MaxSender costs nothing.
  const std::string prefix = LoadStr(IDS_SENDER_SECTION);
  std::vector<std::pair<int, std::string>> found;
  for (auto& [key, value] : ini.ReadSection(prefix)) {
    if (key.size() <= prefix.size() || !EqualsNoCase(key.substr(0, prefix.size()), prefix))
      continue;
    std::string digits = key.substr(prefix.size());
    int n;
    if (digits[0] < '1' || digits[0] > '9' || !ParseInt(digits, n) || n > maxSender) continue;
    if (!value.empty()) found.emplace_back(n, std::move(value));
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (auto& f : found) names.push_back(std::move(f.second));
  return names;
}

bool WriteSenderHistory(IniFile& ini, const std::vector<std::string>& names) {
  const std::string section = LoadStr(IDS_SENDER_SECTION);
  bool ok = true;
  for (size_t i = 0; i < names.size(); ++i)
    ok &= ini.WriteString(section, section + IntToStr(static_cast<long long>(i) + 1), names[i]);
  return ok;
}

}  // namespace korvel
