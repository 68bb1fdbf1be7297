// Whole-file reads and safe whole-file replacement. Paths are UTF-8: the Windows
// implementation opens them through the wide API, so any folder name works whatever
// the system's code page.
#pragma once

#include <string>

namespace korvel {

enum class ReadStatus { Ok, NotFound, Failed };

// Reads the whole file into `out`. On Failed, `error` (if given) says why.
ReadStatus ReadWholeFile(const std::string& path, std::string& out, std::string* error = nullptr);

enum class WriteStatus {
  Ok,
  // The file could not be created or replaced at all: a missing or read-only folder, a
  // read-only file, no access.
  NotCreated,
  // Writing failed part-way, for instance on a full disk.
  Failed,
};

// Writes `data` to a new file beside `path` and then puts it in place of `path` in one
// step, so `path` holds either its old content or the whole new content, never a part.
// The new file takes a name that nothing in the folder holds yet, so no file or folder
// of the user's is ever written over or stands in the way. On any failure `path` is
// left untouched and `error` (if given) says why.
WriteStatus ReplaceFileContents(const std::string& path, const std::string& data,
                                std::string* error = nullptr);

}  // namespace korvel
