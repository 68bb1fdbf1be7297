#include "sending/remote_desktop_messenger_win.h"

#include <wtsapi32.h>

#include "sending/wire_status.h"

namespace korvel {

namespace {

class SystemApi final : public RemoteDesktopApi {
 public:
  HANDLE OpenServer(const std::wstring& computer) override {
    if (!Load()) return nullptr;
    return open_(const_cast<wchar_t*>(computer.c_str()));
  }
  void CloseServer(HANDLE server) override {
    if (Load() && server) close_(server);
  }
  bool SignedInSessions(HANDLE server, std::vector<DWORD>& sessions) override {
    WTS_SESSION_INFOW* list = nullptr;
    DWORD count = 0;
    if (!Load() || !enumerate_(server, 0, 1, &list, &count)) return false;
    for (DWORD i = 0; i < count; ++i)
      if (list[i].State == WTSActive || list[i].State == WTSConnected)
        sessions.push_back(list[i].SessionId);
    free_(list);
    return true;
  }
  bool SendToSession(HANDLE server, DWORD session, const std::wstring& title,
                     const std::wstring& text) override {
    DWORD response = 0;
    return Load() &&
           send_(server, session, const_cast<wchar_t*>(title.c_str()),
                 static_cast<DWORD>(title.size() * sizeof(wchar_t)),
                 const_cast<wchar_t*>(text.c_str()),
                 static_cast<DWORD>(text.size() * sizeof(wchar_t)), MB_OK, 0, &response, FALSE);
  }
  DWORD LastError() override { return GetLastError(); }

 private:
  using OpenFn = HANDLE(WINAPI*)(LPWSTR);
  using CloseFn = void(WINAPI*)(HANDLE);
  using EnumerateFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW*, DWORD*);
  using FreeFn = void(WINAPI*)(PVOID);
  using SendFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, DWORD, LPWSTR, DWORD, DWORD, DWORD, DWORD*,
                               BOOL);

  template <typename Fn>
  static Fn Find(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }

  bool Load() {
    static const bool loaded = [this] {
      HMODULE module = LoadLibraryW(L"wtsapi32.dll");
      if (!module) return false;
      open_ = Find<OpenFn>(module, "WTSOpenServerW");
      close_ = Find<CloseFn>(module, "WTSCloseServer");
      enumerate_ = Find<EnumerateFn>(module, "WTSEnumerateSessionsW");
      free_ = Find<FreeFn>(module, "WTSFreeMemory");
      send_ = Find<SendFn>(module, "WTSSendMessageW");
      return open_ && close_ && enumerate_ && free_ && send_;
    }();
    return loaded;
  }

  OpenFn open_ = nullptr;
  CloseFn close_ = nullptr;
  EnumerateFn enumerate_ = nullptr;
  FreeFn free_ = nullptr;
  SendFn send_ = nullptr;
};

// What the direct path says when no messenger stands at the computer, as opposed to a
// receiver that refused the message or a network that failed.
bool NoMessengerThere(NetStatus status) {
  return status == wire::kStatusConnectionRefused || status == wire::kStatusNameNotFound;
}

std::wstring Wide(const char16_t* text) {
  return text ? std::wstring(reinterpret_cast<const wchar_t*>(text)) : std::wstring();
}

}  // namespace

RemoteDesktopApi& SystemRemoteDesktopApi() {
  static SystemApi api;
  return api;
}

RemoteDesktopFallback::RemoteDesktopFallback(std::shared_ptr<Messenger> direct,
                                             RemoteDesktopApi& api)
    : direct_(std::move(direct)), api_(api) {}

std::wstring RemoteDesktopFallback::Title(const char16_t* fromName) {
  std::wstring from = Wide(fromName);
  if (from.empty()) {
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(computer, &size)) from.assign(computer, size);
  }
  return L"Сообщение от " + from;
}

NetStatus RemoteDesktopFallback::MessageBufferSend(const char16_t* name, const char16_t* fromName,
                                                   const uint8_t* buffer, uint32_t byteLength) {
  const NetStatus direct = direct_->MessageBufferSend(name, fromName, buffer, byteLength);
  const std::wstring computer = Wide(name);
  if (direct == kNerrSuccess || !NoMessengerThere(direct) || computer.empty() ||
      computer.back() == L'*')
    return direct;
  std::wstring text(reinterpret_cast<const wchar_t*>(buffer), byteLength / 2);
  return SendBySession(computer, Title(fromName), text) ? kNerrSuccess : direct;
}

bool RemoteDesktopFallback::SendBySession(const std::wstring& computer, const std::wstring& title,
                                          const std::wstring& text) {
  HANDLE server = api_.OpenServer(computer);
  if (!server) return false;
  std::vector<DWORD> sessions;
  bool reached = false;
  if (api_.SignedInSessions(server, sessions))
    for (DWORD session : sessions)
      reached = api_.SendToSession(server, session, title, text) || reached;
  api_.CloseServer(server);
  return reached;
}

NetStatus RemoteDesktopFallback::MessageNameAdd(const char16_t* name) {
  return direct_->MessageNameAdd(name);
}

NetStatus RemoteDesktopFallback::MessageNameDel(const char16_t* name) {
  return direct_->MessageNameDel(name);
}

}  // namespace korvel
