#include "sending/system_messenger_win.h"

#include "base/handles_win.h"

namespace korvel {

namespace {
LPCWSTR Wide(const char16_t* s) { return reinterpret_cast<LPCWSTR>(s); }

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}
}  // namespace

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll && GetProcAddress(ntdll, "wine_get_version")) return true;
  // Some Wine builds hide that export from programs so as to pass for Windows; the registry
  // key Wine keeps its own settings under is there all the same.
  RegKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Wine", 0, KEY_READ, key.Put()) ==
         ERROR_SUCCESS;
}

SystemMessenger::SystemMessenger() {
  if (RunningUnderWine()) return;
  netapi_ = LoadLibraryW(L"netapi32.dll");
  bufferSend_ = Lookup<BufferSend>(netapi_, "NetMessageBufferSend");
  nameAdd_ = Lookup<NameCall>(netapi_, "NetMessageNameAdd");
  nameDel_ = Lookup<NameCall>(netapi_, "NetMessageNameDel");
}

SystemMessenger::~SystemMessenger() {
  if (netapi_) FreeLibrary(netapi_);
}

NetStatus SystemMessenger::MessageBufferSend(const char16_t* name, const char16_t* fromName,
                                             const uint8_t* buffer, uint32_t byteLength) {
  if (!bufferSend_) return ERROR_NOT_SUPPORTED;
  return bufferSend_(nullptr, Wide(name), Wide(fromName), const_cast<LPBYTE>(buffer), byteLength);
}

NetStatus SystemMessenger::MessageNameAdd(const char16_t* name) {
  return nameAdd_ ? nameAdd_(nullptr, Wide(name)) : ERROR_NOT_SUPPORTED;
}

NetStatus SystemMessenger::MessageNameDel(const char16_t* name) {
  return nameDel_ ? nameDel_(nullptr, Wide(name)) : ERROR_NOT_SUPPORTED;
}

}  // namespace korvel
