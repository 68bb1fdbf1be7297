// A folder of its own for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace korvel {

class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("korvel-test-" + std::to_string(Pid()) + "-" + std::to_string(++counter));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempDir() {
    // Never throws: a program under test may still be deleting files in the folder, and
    // the range-for's increment would throw on an entry that vanished under it.
    std::error_code ec, ignored;
    std::filesystem::recursive_directory_iterator it(path_, ec), end;
    for (; !ec && it != end; it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The path of a file in the folder, as the program's own file functions take it.
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
  void MakeReadOnly(const std::string& name) const {
    std::filesystem::permissions(path_ / name,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
  }

  static long Pid();

 private:
  std::filesystem::path path_;
};

}  // namespace korvel
