// Whole-file reads and safe whole-file replacement. Paths are Windows-1251 text;
// the Windows implementation opens them through the wide API, so folder names in
// Cyrillic work whatever the system's code page.
#pragma once

#include <string>

namespace korvel {

enum class ReadStatus { Ok, NotFound, Failed };

bool FileExists(const std::string& path);

// Reads the whole file into `out`. On Failed, `error` (if given) says why.
ReadStatus ReadWholeFile(const std::string& path, std::string& out, std::string* error = nullptr);

// Writes `data` to a new file beside `path` and then puts it in place of `path` in one
// step, so `path` holds either its old content or the whole new content, never a part.
// Fails, leaving `path` untouched, when the folder is missing or not writable, when the
// existing file is read-only, or when the disk is full.
bool ReplaceFileContents(const std::string& path, const std::string& data,
                         std::string* error = nullptr);

}  // namespace korvel
