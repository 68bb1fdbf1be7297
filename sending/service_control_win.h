// Starting and stopping the system's Messenger service from the menus: one request to
// the Service Control Manager each, its outcome told in the program's message box.
#pragma once

#include <windows.h>

namespace korvel {

// The Service Control Manager's calls the commands make, in the single-byte forms.
struct ServiceManager {
  virtual ~ServiceManager() = default;
  virtual SC_HANDLE OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access) = 0;
  virtual SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access) = 0;
  virtual BOOL StartServiceA(SC_HANDLE service, DWORD argc, LPCSTR* argv) = 0;
  virtual BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) = 0;
  virtual BOOL CloseServiceHandle(SC_HANDLE handle) = 0;
};

// The system's Service Control Manager.
ServiceManager& SystemServiceManager();

// The access each command asks for the service with.
constexpr DWORD kStartAccess = SERVICE_START | SERVICE_QUERY_STATUS;  // 0x14
constexpr DWORD kStopAccess = SERVICE_STOP | SERVICE_QUERY_STATUS;    // 0x24

class TServiceControl {
 public:
  explicit TServiceControl(ServiceManager& manager) : manager_(manager) {}

  void actStartMessengerExecute();
  void actStopMessengerExecute();

 private:
  ServiceManager& manager_;
};

}  // namespace korvel
