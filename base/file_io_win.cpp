// Win32 implementation of the file seam: wide API, paths converted from UTF-8.
#include <windows.h>

#include <algorithm>

#include "base/file_io.h"
#include "base/handles_win.h"
#include "base/text.h"
#include "base/text_win.h"

namespace korvel {

namespace {
void SetError(std::string* error, DWORD code) {
  if (!error) return;
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
      *error = "File access denied";
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      *error = "Disk full";
      break;
    default:
      *error = "I/O error " + IntToStr(code);
  }
}

// Creates a new file beside `target` under a name nothing holds yet: an existing file
// or folder of that name (either refuses CREATE_NEW) only moves on to the next name.
UniqueHandle CreateNewBeside(const std::wstring& target, std::wstring& temp) {
  for (int attempt = 1;; ++attempt) {
    temp = target + L".~" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(attempt) + L".tmp";
    UniqueHandle h(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h || attempt == 100) return h;
    DWORD err = GetLastError();
    bool taken = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS ||
                 GetFileAttributesW(temp.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!taken) {
      SetLastError(err);
      return h;
    }
  }
}
}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::string& out, std::string* error) {
  out.clear();
  const UniqueHandle h(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) {
    DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return ReadStatus::NotFound;
    SetError(error, err);
    return ReadStatus::Failed;
  }
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
      SetError(error, GetLastError());
      return ReadStatus::Failed;
    }
    if (n == 0) break;
    out.append(buf, n);
  }
  return ReadStatus::Ok;
}

WriteStatus ReplaceFileContents(const std::string& path, const std::string& data,
                                std::string* error) {
  std::wstring target = WidePath(path);
  DWORD attr = GetFileAttributesW(target.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY)) {
    SetError(error, ERROR_ACCESS_DENIED);
    return WriteStatus::NotCreated;
  }
  std::wstring temp;
  UniqueHandle h = CreateNewBeside(target, temp);
  if (!h) {
    SetError(error, GetLastError());
    return WriteStatus::NotCreated;
  }
  size_t done = 0;
  bool ok = true;
  while (ok && done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 20));
    DWORD n = 0;
    ok = WriteFile(h, data.data() + done, chunk, &n, nullptr) && n == chunk;
    done += n;
  }
  if (ok) ok = FlushFileBuffers(h);
  DWORD err = ok ? 0 : GetLastError();
  // A close can fail where the last data is written out: it is checked like a write.
  if (!CloseHandle(h.Release()) && ok) {
    ok = false;
    err = GetLastError();
  }
  if (!ok) {
    SetError(error, err ? err : ERROR_WRITE_FAULT);
    DeleteFileW(temp.c_str());
    return WriteStatus::Failed;
  }
  if (!MoveFileExW(temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    SetError(error, GetLastError());
    DeleteFileW(temp.c_str());
    return WriteStatus::NotCreated;
  }
  return WriteStatus::Ok;
}

}  // namespace korvel
