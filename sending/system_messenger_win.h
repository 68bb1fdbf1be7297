// The system's Messenger (netapi32, looked up at run time).
#pragma once

#include <windows.h>

#include <memory>

#include "sending/messenger.h"

namespace korvel {

// Under Wine the netapi32 Messenger functions are stubs that end the process. Wine is known
// by its own export from ntdll, or by its registry key where a build hides the export.
bool RunningUnderWine();

// NetMessageBufferSend, NetMessageNameAdd and NetMessageNameDel on the local computer.
// Where they cannot be called (missing, or under Wine) every call answers
// ERROR_NOT_SUPPORTED, as they do themselves on Windows Vista and later.
class SystemMessenger : public Messenger {
 public:
  SystemMessenger();
  ~SystemMessenger() override;
  SystemMessenger(const SystemMessenger&) = delete;
  SystemMessenger& operator=(const SystemMessenger&) = delete;

  NetStatus MessageBufferSend(const char16_t* name, const char16_t* fromName, const uint8_t* buffer,
                              uint32_t byteLength) override;
  NetStatus MessageNameAdd(const char16_t* name) override;
  NetStatus MessageNameDel(const char16_t* name) override;

 private:
  using BufferSend = DWORD(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPBYTE, DWORD);
  using NameCall = DWORD(WINAPI*)(LPCWSTR, LPCWSTR);
  HMODULE netapi_ = nullptr;
  BufferSend bufferSend_ = nullptr;
  NameCall nameAdd_ = nullptr;
  NameCall nameDel_ = nullptr;
};

}  // namespace korvel
