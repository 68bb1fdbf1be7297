#include "base/ini_file.h"

#include <vector>

#include "base/file_io.h"
#include "base/text.h"

namespace korvel {
namespace ini {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Line {
  size_t begin;  // offset of the first byte of the line
  size_t end;    // offset just past its content (before CR LF)
  size_t next;   // offset of the next line
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t pos = HasUtf8Mark(text) ? kUtf8Mark.size() : 0;
  while (pos < text.size()) {
    size_t nl = text.find_first_of("\r\n", pos);
    Line line{pos, nl == std::string_view::npos ? text.size() : nl, 0};
    size_t next = line.end;
    if (next < text.size() && text[next] == '\r') ++next;
    if (next < text.size() && text[next] == '\n') ++next;
    line.next = next;
    lines.push_back(line);
    pos = next;
  }
  return lines;
}

enum class Kind { Blank, Comment, Section, Key, Other };

struct Parsed {
  Kind kind;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed
};

Parsed ParseLine(std::string_view raw) {
  std::string line = Trim(raw);
  if (line.empty()) return {Kind::Blank, {}, {}};
  if (line[0] == ';') return {Kind::Comment, {}, {}};
  if (line[0] == '[') {
    size_t close = line.rfind(']');
    if (close != std::string::npos)
      return {Kind::Section, Trim(std::string_view(line).substr(1, close - 1)), {}};
  }
  size_t eq = line.find('=');
  if (eq == std::string::npos) return {Kind::Other, line, {}};
  return {Kind::Key, Trim(std::string_view(line).substr(0, eq)),
          Trim(std::string_view(line).substr(eq + 1))};
}

std::string Unquote(std::string v) {
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
    return v.substr(1, v.size() - 2);
  return v;
}

// Locates a section and, within it, a key. Offsets refer to `lines`.
struct Location {
  bool sectionFound = false;
  size_t lastLineOfSection = 0;  // index of the last non-blank line of the section
  bool keyFound = false;
  size_t keyLine = 0;
  Parsed key;
};

Location Locate(std::string_view text, const std::vector<Line>& lines, std::string_view section,
                std::string_view key) {
  Location loc;
  std::string wantSection = Trim(section), wantKey = Trim(key);
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    Parsed p = ParseLine(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
    if (p.kind == Kind::Section) {
      if (inSection) break;  // only the first section of a name counts
      inSection = EqualsNoCase(p.name, wantSection);
      if (inSection) {
        loc.sectionFound = true;
        loc.lastLineOfSection = i;
      }
      continue;
    }
    if (!inSection) continue;
    if (p.kind != Kind::Blank) loc.lastLineOfSection = i;
    if (p.kind == Kind::Key && !loc.keyFound && EqualsNoCase(p.name, wantKey)) {
      loc.keyFound = true;
      loc.keyLine = i;
      loc.key = std::move(p);
    }
  }
  return loc;
}

}  // namespace

bool Find(std::string_view text, std::string_view section, std::string_view key,
          std::string* value) {
  auto lines = SplitLines(text);
  Location loc = Locate(text, lines, section, key);
  if (!loc.keyFound) return false;
  if (value) *value = Unquote(loc.key.value);
  return true;
}

std::vector<std::pair<std::string, std::string>> Section(std::string_view text,
                                                         std::string_view section) {
  std::vector<std::pair<std::string, std::string>> keys;
  std::string want = Trim(section);
  bool inSection = false;
  for (const Line& l : SplitLines(text)) {
    Parsed p = ParseLine(text.substr(l.begin, l.end - l.begin));
    if (p.kind == Kind::Section) {
      if (inSection) break;
      inSection = EqualsNoCase(p.name, want);
    } else if (inSection && p.kind == Kind::Key) {
      bool seen = false;
      for (const auto& k : keys) seen = seen || EqualsNoCase(k.first, p.name);
      if (!seen) keys.emplace_back(std::move(p.name), Unquote(std::move(p.value)));
    }
  }
  return keys;
}

std::string Put(std::string_view text, std::string_view section, std::string_view key,
                std::string_view value) {
  // Like the platform, a value is stored without its leading blanks.
  size_t lead = 0;
  while (lead < value.size() && static_cast<unsigned char>(value[lead]) <= 32) ++lead;
  value.remove_prefix(lead);

  auto lines = SplitLines(text);
  Location loc = Locate(text, lines, section, key);
  std::string out;
  if (loc.keyFound) {
    if (loc.key.value == value) return std::string(text);
    const Line& l = lines[loc.keyLine];
    out.append(text.substr(0, l.begin));
    out.append(loc.key.name).append("=").append(value);
    out.append(text.substr(l.end));
    return out;
  }
  std::string newLine = Trim(key) + "=" + std::string(value) + "\r\n";
  if (loc.sectionFound) {
    const Line& l = lines[loc.lastLineOfSection];
    out.append(text.substr(0, l.end));
    if (l.next == l.end) {  // the section's last line ends the file without a line break
      out.append("\r\n").append(newLine);
    } else {
      out.append(text.substr(l.end, l.next - l.end)).append(newLine);
      out.append(text.substr(l.next));
    }
    return out;
  }
  out.assign(text);
  if (out.size() > (HasUtf8Mark(out) ? kUtf8Mark.size() : 0) && out.back() != '\n' &&
      out.back() != '\r')
    out.append("\r\n");
  out.append("[").append(Trim(section)).append("]\r\n").append(newLine);
  return out;
}

bool HasUtf8Mark(std::string_view text) { return text.substr(0, kUtf8Mark.size()) == kUtf8Mark; }

}  // namespace ini

namespace {
// Program text (Windows-1251) as the file holds it, and back.
std::string ToFile(bool utf8, std::string_view text) {
  return utf8 ? Utf8FromCp1251(text) : std::string(text);
}
std::string FromFile(bool utf8, std::string_view text) {
  return utf8 ? Cp1251FromUtf8(text) : std::string(text);
}
}  // namespace

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  std::string text, value;
  if (ReadWholeFile(fileName_, text) != ReadStatus::Ok) return std::string(def);
  const bool utf8 = ini::HasUtf8Mark(text);
  if (!ini::Find(text, ToFile(utf8, section), ToFile(utf8, key), &value)) return std::string(def);
  return FromFile(utf8, value);
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSection(
    std::string_view section) const {
  std::string text;
  if (ReadWholeFile(fileName_, text) != ReadStatus::Ok) return {};
  const bool utf8 = ini::HasUtf8Mark(text);
  auto keys = ini::Section(text, ToFile(utf8, section));
  for (auto& [key, value] : keys) {
    key = FromFile(utf8, key);
    value = FromFile(utf8, value);
  }
  return keys;
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  int v;
  return ParseInt(ReadString(section, key, ""), v) ? v : def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string text;
  if (ReadWholeFile(fileName_, text) == ReadStatus::Failed) return false;
  const bool utf8 = ini::HasUtf8Mark(text);
  std::string updated =
      ini::Put(text, ToFile(utf8, section), ToFile(utf8, key), ToFile(utf8, value));
  if (updated == text) return true;  // nothing to change, nothing to write
  return ReplaceFileContents(fileName_, updated) == WriteStatus::Ok;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, IntToStr(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::WriteErrorText() const {
  return "Unable to write to " + Cp1251FromUtf8(fileName_);
}

}  // namespace korvel
