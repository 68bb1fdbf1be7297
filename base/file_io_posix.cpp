// POSIX implementation of the file seam, used by the native build and its tests.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/file_io.h"
#include "base/text.h"

namespace korvel {

namespace {
void SetError(std::string* error, const char* what, int err) {
  if (error) *error = std::string(what) + ": " + std::strerror(err);
}

bool NoRoom(int err) { return err == ENOSPC || err == EDQUOT || err == EFBIG; }

// Opens a new file beside `path` under a name nothing holds yet.
int CreateNewBeside(const std::string& path, std::string& temp) {
  for (int attempt = 1;; ++attempt) {
    temp = path + ".~" + IntToStr(getpid()) + "-" + IntToStr(attempt) + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST || attempt == 100) return fd;
  }
}
}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::string& out, std::string* error) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return ReadStatus::NotFound;
    SetError(error, "File access denied", errno);
    return ReadStatus::Failed;
  }
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      SetError(error, "I/O error", errno);
      ::close(fd);
      return ReadStatus::Failed;
    }
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return ReadStatus::Ok;
}

WriteStatus ReplaceFileContents(const std::string& path, const std::string& data,
                                std::string* error) {
  // A file without write permission counts as read-only even for a user (root) whom
  // the system would let write it, as the read-only attribute does on Windows.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) {
    SetError(error, "File access denied", EACCES);
    return WriteStatus::NotCreated;
  }
  std::string temp;
  int fd = CreateNewBeside(path, temp);
  if (fd < 0) {
    SetError(error, "File access denied", errno);
    return WriteStatus::NotCreated;
  }
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int err = n < 0 ? errno : ENOSPC;
      SetError(error, NoRoom(err) ? "Disk full" : "I/O error", err);
      ::close(fd);
      ::unlink(temp.c_str());
      return WriteStatus::Failed;
    }
    done += static_cast<size_t>(n);
  }
  int err = ::fsync(fd) != 0 ? errno : 0;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    SetError(error, NoRoom(err) ? "Disk full" : "I/O error", err);
    ::unlink(temp.c_str());
    return WriteStatus::Failed;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    SetError(error, "File access denied", errno);
    ::unlink(temp.c_str());
    return WriteStatus::NotCreated;
  }
  return WriteStatus::Ok;
}

}  // namespace korvel
