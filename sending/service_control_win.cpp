// The Messenger service commands. Neither waits for the service to reach its new state:
// the message says whether the Service Control Manager took the request.
#include "sending/service_control_win.h"

#include <functional>

#include "base/message_box_win.h"
#include "base/string_table.h"

namespace korvel {

namespace {

class SystemManager final : public ServiceManager {
 public:
  SC_HANDLE OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access) override {
    return ::OpenSCManagerA(machine, database, access);
  }
  SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access) override {
    return ::OpenServiceA(manager, name, access);
  }
  BOOL StartServiceA(SC_HANDLE service, DWORD argc, LPCSTR* argv) override {
    return ::StartServiceA(service, argc, argv);
  }
  BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override {
    return ::ControlService(service, control, status);
  }
  BOOL CloseServiceHandle(SC_HANDLE handle) override { return ::CloseServiceHandle(handle); }
};

constexpr char kMessenger[] = "Messenger";

// A service handle, closed through the manager it came from whatever happens after.
class Handle {
 public:
  Handle(ServiceManager& manager, SC_HANDLE handle) : manager_(manager), handle_(handle) {}
  ~Handle() {
    if (handle_) manager_.CloseServiceHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  SC_HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  ServiceManager& manager_;
  SC_HANDLE handle_;
};

// Opens the manager and the service, makes the request, and tells the outcome. Nothing is
// shown when the manager itself cannot be opened.
void Request(ServiceManager& manager, DWORD access, const std::function<BOOL(SC_HANDLE)>& request,
             unsigned done, unsigned failed) {
  Handle scm(manager, manager.OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return;
  Handle service(manager, manager.OpenServiceA(scm.get(), kMessenger, access));
  ShowMessage(LoadStr(service && request(service.get()) ? done : failed));
}

}  // namespace

ServiceManager& SystemServiceManager() {
  static SystemManager manager;
  return manager;
}

void TServiceControl::actStartMessengerExecute() {
  Request(
      manager_, kStartAccess,
      [&](SC_HANDLE service) {
        LPCSTR args[] = {nullptr};
        return manager_.StartServiceA(service, 0, args);
      },
      IDS_MESSENGER_STARTED, IDS_MESSENGER_START_FAILED);
}

void TServiceControl::actStopMessengerExecute() {
  Request(
      manager_, kStopAccess,
      [&](SC_HANDLE service) {
        SERVICE_STATUS status{};
        return manager_.ControlService(service, SERVICE_CONTROL_STOP, &status);
      },
      IDS_MESSENGER_STOPPED, IDS_MESSENGER_STOP_FAILED);
}

}  // namespace korvel
