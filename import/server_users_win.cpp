// NetUserEnum behind UserEnumerator: levels 2 and 20, names converted to Windows-1251,
// the result buffer freed on every path.
#include "import/server_users_win.h"

#include <windows.h>

#include <lm.h>

#include "base/text_win.h"

namespace korvel {

namespace {

constexpr size_t kServerChars = 128;

class NetBuffer {
 public:
  NetBuffer() = default;
  ~NetBuffer() {
    if (buffer_) NetApiBufferFree(buffer_);
  }
  NetBuffer(const NetBuffer&) = delete;
  NetBuffer& operator=(const NetBuffer&) = delete;
  LPBYTE* Out() { return &buffer_; }
  template <class T>
  const T* As() const {
    return reinterpret_cast<const T*>(buffer_);
  }

 private:
  LPBYTE buffer_ = nullptr;
};

std::string Text(LPCWSTR text) { return text ? Narrow(text) : std::string(); }

class SystemEnumerator final : public UserEnumerator {
 public:
  uint32_t Enumerate(const std::string& server, int level, uint32_t& resume,
                     std::vector<UserAccount>& accounts) override {
    wchar_t name[kServerChars + 1] = {};
    const std::wstring wide = Widen(server);
    wide.copy(name, kServerChars);
    NetBuffer buffer;
    DWORD read = 0, total = 0;
    DWORD handle = resume;
    const NET_API_STATUS status = NetUserEnum(name, static_cast<DWORD>(level), 0, buffer.Out(),
                                              MAX_PREFERRED_LENGTH, &read, &total, &handle);
    resume = handle;
    if (status != NERR_Success && status != ERROR_MORE_DATA) return status;
    if (!buffer.As<BYTE>()) read = 0;
    for (DWORD i = 0; i < read; ++i) {
      if (level == 2)
        accounts.push_back({Text(buffer.As<USER_INFO_2>()[i].usri2_name),
                            Text(buffer.As<USER_INFO_2>()[i].usri2_full_name)});
      else if (level == 20)
        accounts.push_back({Text(buffer.As<USER_INFO_20>()[i].usri20_name),
                            Text(buffer.As<USER_INFO_20>()[i].usri20_full_name)});
    }
    return status;
  }
};

}  // namespace

UserEnumerator& SystemUserEnumerator() {
  static SystemEnumerator enumerator;
  return enumerator;
}

}  // namespace korvel
