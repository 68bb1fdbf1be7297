// The last way to a current Windows computer. Since Vista no computer answers a messenger
// name, but a message can still reach the people signed in to it as a Remote Desktop
// Services message, the one the system's own console tool sends: it opens the computer's
// terminal server, lists its sessions and shows the message box in each. The receiver
// must allow remote calls for it (AllowRemoteRPC, RPC through its firewall), and the
// sender needs rights there.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "sending/messenger.h"

namespace korvel {

// The Remote Desktop Services calls the fallback makes (wtsapi32, loaded when first
// needed). Under Wine they are stubs: the program never reaches for them there.
class RemoteDesktopApi {
 public:
  virtual ~RemoteDesktopApi() = default;
  // nullptr when the computer cannot be reached; the error is then LastError's.
  virtual HANDLE OpenServer(const std::wstring& computer) = 0;
  virtual void CloseServer(HANDLE server) = 0;
  // The sessions of people signed in (active or connected). False on failure.
  virtual bool SignedInSessions(HANDLE server, std::vector<DWORD>& sessions) = 0;
  // Shows the message box in one session without waiting for it to be closed.
  virtual bool SendToSession(HANDLE server, DWORD session, const std::wstring& title,
                             const std::wstring& text) = 0;
  virtual DWORD LastError() = 0;
};

// The system's wtsapi32.
RemoteDesktopApi& SystemRemoteDesktopApi();

// Delivers through `direct`; when that finds no messenger at the computer (nothing on the
// messenger's port, a name found nowhere, or a computer that says it holds no messenger name,
// as every current Windows does), hands the message to the people signed in there instead.
// Workgroups ("NAME*", "*") and sender names are left to the direct path. A delivery counts
// when the message box reached at least one session; otherwise the direct path's failure
// stands.
class RemoteDesktopFallback final : public Messenger {
 public:
  RemoteDesktopFallback(std::shared_ptr<Messenger> direct, RemoteDesktopApi& api);

  NetStatus MessageBufferSend(const char16_t* name, const char16_t* fromName, const uint8_t* buffer,
                              uint32_t byteLength) override;
  NetStatus MessageNameAdd(const char16_t* name) override;
  NetStatus MessageNameDel(const char16_t* name) override;

  // The caption of the message box: who it is from.
  static std::wstring Title(const char16_t* fromName);

 private:
  bool SendBySession(const std::wstring& computer, const std::wstring& title,
                     const std::wstring& text);

  std::shared_ptr<Messenger> direct_;
  RemoteDesktopApi& api_;
};

}  // namespace korvel
