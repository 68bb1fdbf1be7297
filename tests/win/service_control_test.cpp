// Starting and stopping the Messenger service: the requests the commands make, the
// handles they close, and what they tell, with a scripted manager and with Wine's own
// Service Control Manager running a service of the tests' own under that name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

const std::string kStarted = Cp("Служба сообщений - запущена");
const std::string kNotStarted = Cp("Службу сообщений не удалось запустить");
const std::string kStopped = Cp("Служба сообщений - остановлена");
const std::string kNotStopped = Cp("Службу сообщений не удалось остановить");

// Records every call, with the message boxes in between; each step can be made to fail.
struct ScriptedManager : ServiceManager {
  std::vector<std::string>& log;
  bool managerOpens = true, serviceOpens = true, requestTaken = true;
  explicit ScriptedManager(std::vector<std::string>& l) : log(l) {}

  SC_HANDLE manager = reinterpret_cast<SC_HANDLE>(0x100);
  SC_HANDLE service = reinterpret_cast<SC_HANDLE>(0x200);
  std::string Name(SC_HANDLE h) { return h == manager ? "scm" : h == service ? "svc" : "?"; }

  SC_HANDLE OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access) override {
    log.push_back(std::string("OpenSCManager ") + (machine ? machine : "null") + " " +
                  (database ? database : "null") + " " + std::to_string(access));
    return managerOpens ? manager : nullptr;
  }
  SC_HANDLE OpenServiceA(SC_HANDLE m, LPCSTR name, DWORD access) override {
    char mask[16];
    wsprintfA(mask, "0x%lx", access);
    log.push_back("OpenService " + Name(m) + " " + name + " " + mask);
    return serviceOpens ? service : nullptr;
  }
  BOOL StartServiceA(SC_HANDLE s, DWORD argc, LPCSTR* argv) override {
    log.push_back("StartService " + Name(s) + " " + std::to_string(argc) +
                  (argv && !argv[0] ? " {null}" : " ?"));
    return requestTaken;
  }
  BOOL ControlService(SC_HANDLE s, DWORD control, SERVICE_STATUS* status) override {
    log.push_back("ControlService " + Name(s) + " " + std::to_string(control) +
                  (status ? " status" : " null"));
    return requestTaken;
  }
  BOOL CloseServiceHandle(SC_HANDLE h) override {
    log.push_back("Close " + Name(h));
    return TRUE;
  }
};

class ServiceCommands : public ::testing::Test, public FormFixture {
 protected:
  ServiceCommands() : manager(log) {
    SetMessageSinkForTests([this](const std::string& text) { log.push_back("Show " + text); });
    services.serviceManager = &manager;
    Create();
  }
  std::vector<std::string> Run(int command) {
    log.clear();
    SendMessageW(form->Handle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
    return log;
  }
  std::vector<std::string> log;
  ScriptedManager manager;
};

}  // namespace

TEST_F(ServiceCommands, StartAsksForStartAndQueryAndClosesServiceThenManager) {
  EXPECT_EQ(Run(ID_ACT_START_MESSENGER),
            (std::vector<std::string>{"OpenSCManager null null 1", "OpenService scm Messenger 0x14",
                                      "StartService svc 0 {null}", "Show " + kStarted, "Close svc",
                                      "Close scm"}));
  manager.requestTaken = false;
  EXPECT_EQ(Run(ID_ACT_START_MESSENGER),
            (std::vector<std::string>{"OpenSCManager null null 1", "OpenService scm Messenger 0x14",
                                      "StartService svc 0 {null}", "Show " + kNotStarted,
                                      "Close svc", "Close scm"}));
}

TEST_F(ServiceCommands, StopAsksForStopAndQueryAndClosesServiceThenManager) {
  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER),
            (std::vector<std::string>{"OpenSCManager null null 1", "OpenService scm Messenger 0x24",
                                      "ControlService svc 1 status", "Show " + kStopped,
                                      "Close svc", "Close scm"}));
  manager.requestTaken = false;
  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER),
            (std::vector<std::string>{"OpenSCManager null null 1", "OpenService scm Messenger 0x24",
                                      "ControlService svc 1 status", "Show " + kNotStopped,
                                      "Close svc", "Close scm"}));
}

TEST_F(ServiceCommands, AServiceThatCannotBeOpenedFailsAndAManagerThatCannotSaysNothing) {
  manager.serviceOpens = false;
  EXPECT_EQ(Run(ID_ACT_START_MESSENGER),
            (std::vector<std::string>{"OpenSCManager null null 1", "OpenService scm Messenger 0x14",
                                      "Show " + kNotStarted, "Close scm"}));
  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER),
            (std::vector<std::string>{"OpenSCManager null null 1", "OpenService scm Messenger 0x24",
                                      "Show " + kNotStopped, "Close scm"}));
  manager.managerOpens = false;
  EXPECT_EQ(Run(ID_ACT_START_MESSENGER), std::vector<std::string>{"OpenSCManager null null 1"});
  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER), std::vector<std::string>{"OpenSCManager null null 1"});
}

TEST_F(ServiceCommands, TheCommandsStayEnabledWhileASendRuns) {
  form->SendInProgress() = 1;
  form->UpdateCommands();
  EXPECT_TRUE(form->CommandEnabled(ID_ACT_START_MESSENGER));
  EXPECT_TRUE(form->CommandEnabled(ID_ACT_STOP_MESSENGER));
  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER).size(), 6u);
  form->SendInProgress() = 0;
}

namespace {

// The real manager, except that the service is opened with the rights a standard user
// has on it: the manager itself then refuses the request.
struct StandardUserManager : ServiceManager {
  ServiceManager& real = SystemServiceManager();
  SC_HANDLE OpenSCManagerA(LPCSTR m, LPCSTR d, DWORD access) override {
    return real.OpenSCManagerA(m, d, access);
  }
  SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD) override {
    return real.OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
  }
  BOOL StartServiceA(SC_HANDLE s, DWORD argc, LPCSTR* argv) override {
    return real.StartServiceA(s, argc, argv);
  }
  BOOL ControlService(SC_HANDLE s, DWORD control, SERVICE_STATUS* status) override {
    return real.ControlService(s, control, status);
  }
  BOOL CloseServiceHandle(SC_HANDLE h) override { return real.CloseServiceHandle(h); }
};

// The test service registered as "Messenger" for the length of a test.
class MessengerRegistration {
 public:
  MessengerRegistration() {
    scm_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    Remove();
    std::wstring exe = KorvelExePath();
    exe.erase(exe.find_last_of(L'\\') + 1);
    exe = L"\"" + exe + L"tests\\korvel_test_service.exe\"";
    service_ = CreateServiceW(scm_, L"Messenger", L"Messenger", SERVICE_ALL_ACCESS,
                              SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                              exe.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  ~MessengerRegistration() {
    Unregister();
    CloseServiceHandle(scm_);
  }
  MessengerRegistration(const MessengerRegistration&) = delete;
  MessengerRegistration& operator=(const MessengerRegistration&) = delete;

  bool Registered() const { return service_ != nullptr; }
  SC_HANDLE Handle() const { return service_; }
  DWORD State() const {
    SERVICE_STATUS s{};
    return QueryServiceStatus(service_, &s) ? s.dwCurrentState : 0;
  }
  bool Reaches(DWORD state) const {
    return PumpUntil([&] { return State() == state; }, std::chrono::seconds(20));
  }
  void Unregister() {
    if (service_) CloseServiceHandle(service_);
    service_ = nullptr;
    Remove();
  }

 private:
  // Stops and deletes a service of that name, left from before or made here.
  void Remove() {
    SC_HANDLE old = OpenServiceW(scm_, L"Messenger", SERVICE_ALL_ACCESS);
    if (!old) return;
    SERVICE_STATUS s{};
    if (ControlService(old, SERVICE_CONTROL_STOP, &s))
      PumpUntil([&] { return QueryServiceStatus(old, &s) && s.dwCurrentState == SERVICE_STOPPED; });
    DeleteService(old);
    CloseServiceHandle(old);
  }

  SC_HANDLE scm_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

class MessengerService : public ::testing::Test, public FormFixture {
 protected:
  std::vector<std::string> Run(int command) {
    messages.clear();
    SendMessageW(form->Handle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
    return messages;
  }
};

}  // namespace

TEST_F(MessengerService, StartsAndStopsTheSystemsServiceAndSaysWhenItCannot) {
  MessengerRegistration messenger;
  ASSERT_TRUE(messenger.Registered()) << GetLastError();
  Create();
  ASSERT_EQ(messenger.State(), static_cast<DWORD>(SERVICE_STOPPED));

  EXPECT_EQ(Run(ID_ACT_START_MESSENGER), std::vector<std::string>{kStarted});
  ASSERT_TRUE(messenger.Reaches(SERVICE_RUNNING));
  EXPECT_EQ(Run(ID_ACT_START_MESSENGER), std::vector<std::string>{kNotStarted});

  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER), std::vector<std::string>{kStopped});
  ASSERT_TRUE(messenger.Reaches(SERVICE_STOPPED));
  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER), std::vector<std::string>{kNotStopped});

  // No such service.
  messenger.Unregister();
  EXPECT_EQ(Run(ID_ACT_START_MESSENGER), std::vector<std::string>{kNotStarted});
  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER), std::vector<std::string>{kNotStopped});
}

TEST_F(MessengerService, AUserWithoutTheRightToControlItIsRefused) {
  MessengerRegistration messenger;
  ASSERT_TRUE(messenger.Registered()) << GetLastError();
  StandardUserManager standardUser;
  services.serviceManager = &standardUser;
  Create();
  EXPECT_EQ(Run(ID_ACT_START_MESSENGER), std::vector<std::string>{kNotStarted});
  EXPECT_EQ(messenger.State(), static_cast<DWORD>(SERVICE_STOPPED));

  ASSERT_TRUE(StartServiceW(messenger.Handle(), 0, nullptr));
  ASSERT_TRUE(messenger.Reaches(SERVICE_RUNNING));
  EXPECT_EQ(Run(ID_ACT_STOP_MESSENGER), std::vector<std::string>{kNotStopped});
  EXPECT_EQ(messenger.State(), static_cast<DWORD>(SERVICE_RUNNING));
}
