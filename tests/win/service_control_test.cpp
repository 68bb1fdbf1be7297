// Starting and stopping the Messenger service: the requests the commands make, the
// handles they close and what they tell, with a scripted manager and with Wine's own
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

// Logs every call and message box; the first `opens` steps succeed.
struct ScriptedManager : ServiceManager {
  std::vector<std::string> log;
  int opens = 3;  // manager, service, request
  SC_HANDLE scm = reinterpret_cast<SC_HANDLE>(1), svc = reinterpret_cast<SC_HANDLE>(2);

  SC_HANDLE OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access) override {
    log.push_back("manager " + std::to_string(access) + (machine || database ? " ?" : ""));
    return opens > 0 ? scm : nullptr;
  }
  SC_HANDLE OpenServiceA(SC_HANDLE m, LPCSTR name, DWORD access) override {
    log.push_back(std::string("service ") + name + " " + std::to_string(access) +
                  (m == scm ? "" : " ?"));
    return opens > 1 ? svc : nullptr;
  }
  BOOL StartServiceA(SC_HANDLE s, DWORD argc, LPCSTR* argv) override {
    log.push_back("start " + std::to_string(argc) + (s == svc && argv && !argv[0] ? "" : " ?"));
    return opens > 2;
  }
  BOOL ControlService(SC_HANDLE s, DWORD control, SERVICE_STATUS* status) override {
    log.push_back("control " + std::to_string(control) + (s == svc && status ? "" : " ?"));
    return opens > 2;
  }
  BOOL CloseServiceHandle(SC_HANDLE h) override {
    log.push_back(h == scm ? "close manager" : h == svc ? "close service" : "close ?");
    return TRUE;
  }
};

class ServiceCommands : public ::testing::Test, public FormFixture {};

}  // namespace

TEST_F(ServiceCommands, EachPathMakesItsRequestsTellsAndClosesWhatItOpened) {
  ScriptedManager manager;
  SetMessageSinkForTests([&](const std::string& text) { manager.log.push_back(text); });
  services.serviceManager = &manager;
  Create();
  struct Case {
    int command;
    const char *access, *request;
    std::string done, failed;
  } cases[] = {{ID_ACT_START_MESSENGER, "service Messenger 20", "start 0", kStarted, kNotStarted},
               {ID_ACT_STOP_MESSENGER, "service Messenger 36", "control 1", kStopped, kNotStopped}};
  for (const Case& c : cases) {
    const std::vector<std::vector<std::string>> expected = {
        {"manager 1"},
        {"manager 1", c.access, c.failed, "close manager"},
        {"manager 1", c.access, c.request, c.failed, "close service", "close manager"},
        {"manager 1", c.access, c.request, c.done, "close service", "close manager"},
    };
    for (int opens = 0; opens <= 3; ++opens) {
      manager.opens = opens;
      manager.log.clear();
      SendMessageW(form->Handle(), WM_COMMAND, static_cast<WPARAM>(c.command), 0);
      EXPECT_EQ(manager.log, expected[static_cast<size_t>(opens)]) << c.command << " " << opens;
    }
  }
}

namespace {

// The real manager, except that the service is opened with the rights a standard user
// has on it: the manager then refuses the request itself.
struct StandardUserManager : ServiceManager {
  ServiceManager& real = SystemServiceManager();
  SC_HANDLE OpenSCManagerA(LPCSTR m, LPCSTR d, DWORD access) override {
    return real.OpenSCManagerA(m, d, access);
  }
  SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD) override {
    return real.OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
  }
  BOOL StartServiceA(SC_HANDLE s, DWORD n, LPCSTR* args) override {
    return real.StartServiceA(s, n, args);
  }
  BOOL ControlService(SC_HANDLE s, DWORD c, SERVICE_STATUS* st) override {
    return real.ControlService(s, c, st);
  }
  BOOL CloseServiceHandle(SC_HANDLE h) override { return real.CloseServiceHandle(h); }
};

// The test service registered as "Messenger" for the length of a test.
class MessengerRegistration {
 public:
  MessengerRegistration() : scm_(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
    Remove();
    std::wstring exe = KorvelExePath();
    exe = L"\"" + exe.substr(0, exe.find_last_of(L'\\')) + L"\\tests\\korvel_test_service.exe\"";
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

  SC_HANDLE Handle() const { return service_; }
  bool Reaches(DWORD state) const {
    SERVICE_STATUS s{};
    return PumpUntil([&] { return QueryServiceStatus(service_, &s) && s.dwCurrentState == state; },
                     std::chrono::seconds(20));
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

  SC_HANDLE scm_;
  SC_HANDLE service_ = nullptr;
};

class MessengerService : public ::testing::Test, public FormFixture {
 protected:
  std::string Say(int command) {
    messages.clear();
    SendMessageW(form->Handle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
    return messages.size() == 1 ? messages[0] : "(" + std::to_string(messages.size()) + ")";
  }
};

}  // namespace

TEST_F(MessengerService, StartsAndStopsTheSystemsServiceAndSaysWhenItCannot) {
  MessengerRegistration messenger;
  ASSERT_NE(messenger.Handle(), nullptr) << GetLastError();
  Create();
  EXPECT_EQ(Say(ID_ACT_START_MESSENGER), kStarted);
  ASSERT_TRUE(messenger.Reaches(SERVICE_RUNNING));
  EXPECT_EQ(Say(ID_ACT_START_MESSENGER), kNotStarted);  // already running
  EXPECT_EQ(Say(ID_ACT_STOP_MESSENGER), kStopped);
  ASSERT_TRUE(messenger.Reaches(SERVICE_STOPPED));
  EXPECT_EQ(Say(ID_ACT_STOP_MESSENGER), kNotStopped);  // already stopped

  // A user without the right to control it.
  StandardUserManager standardUser;
  services.serviceManager = &standardUser;
  form.reset();
  Create();
  EXPECT_EQ(Say(ID_ACT_START_MESSENGER), kNotStarted);
  ASSERT_TRUE(StartServiceW(messenger.Handle(), 0, nullptr));
  ASSERT_TRUE(messenger.Reaches(SERVICE_RUNNING));
  EXPECT_EQ(Say(ID_ACT_STOP_MESSENGER), kNotStopped);
  EXPECT_TRUE(messenger.Reaches(SERVICE_RUNNING));

  // No such service.
  messenger.Unregister();
  EXPECT_EQ(Say(ID_ACT_START_MESSENGER), kNotStarted);
  EXPECT_EQ(Say(ID_ACT_STOP_MESSENGER), kNotStopped);
}
