// The settings store: an INI file whose writes go straight to disk, key by key.
//
// Reads follow the platform's profile functions: section and key names compare
// case-insensitively (Cyrillic letters too, as on Windows), names and values are trimmed, a value
// in matching single or double quotes loses them, only the first section of a name counts, and a
// line without
// "=" is not a value. A write replaces the one key's line in place, adds a missing key
// after the last line of its section and a missing section at the end of the file; every
// other byte of the file stays as it was. Text is Windows-1251 throughout, except in a
// file that begins with a UTF-8 byte-order mark (Notepad writes one): that file is UTF-8,
// its names and values are converted on the way in and out, and the mark stays.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvel {

class IniFile {
 public:
  // `fileName` is a UTF-8 path.
  explicit IniFile(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // A missing key or a value that is not a decimal integer reads as `def`.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // "0" is false, any other integer true; anything else reads as `def`.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // The keys of a section with their values, in file order (first of duplicates only).
  std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;

  // Each returns false when the system refused the write; the file is then unchanged.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);

  // The text shown when a write was refused: "Unable to write to <full path>"
  // (Windows-1251; letters the code page lacks show as "?").
  std::string WriteErrorText() const;

 private:
  std::string fileName_;
};

// Pure transformations behind IniFile, on the file's text. A byte-order mark at its start
// is no part of the first line.
namespace ini {
// Whether the text begins with a UTF-8 byte-order mark.
bool HasUtf8Mark(std::string_view text);
bool Find(std::string_view text, std::string_view section, std::string_view key,
          std::string* value);
std::vector<std::pair<std::string, std::string>> Section(std::string_view text,
                                                         std::string_view section);
std::string Put(std::string_view text, std::string_view section, std::string_view key,
                std::string_view value);
}  // namespace ini

}  // namespace korvel
