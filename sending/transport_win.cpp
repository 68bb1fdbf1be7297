#include "sending/transport_win.h"

#include <lm.h>
#include <ntsecapi.h>

#include <mutex>
#include <string>

#include "sending/remote_desktop_messenger_win.h"
#include "sending/system_messenger_win.h"
#include "sending/wire_messenger.h"

namespace korvel {

namespace {

// The system's Messenger first; once it says it is not supported, the own client, for
// this job and — through the shared flag — every later one.
class SystemThenOwn final : public Messenger {
 public:
  SystemThenOwn(std::shared_ptr<Messenger> system, TransportChoice::Factory own,
                std::shared_ptr<std::atomic<bool>> systemGone)
      : system_(std::move(system)), ownFactory_(std::move(own)), gone_(std::move(systemGone)) {}

  NetStatus MessageBufferSend(const char16_t* name, const char16_t* fromName, const uint8_t* buffer,
                              uint32_t byteLength) override {
    return Route(
        [&](Messenger& m) { return m.MessageBufferSend(name, fromName, buffer, byteLength); });
  }
  NetStatus MessageNameAdd(const char16_t* name) override {
    return Route([&](Messenger& m) { return m.MessageNameAdd(name); });
  }
  NetStatus MessageNameDel(const char16_t* name) override {
    return Route([&](Messenger& m) { return m.MessageNameDel(name); });
  }

 private:
  template <typename Call>
  NetStatus Route(Call&& call) {
    if (!gone_->load()) {
      NetStatus status = call(*system_);
      if (status != ERROR_NOT_SUPPORTED) return status;
      gone_->store(true);
    }
    return call(Own());
  }

  // Made on first need and kept for the job, whose workers share what it learns.
  Messenger& Own() {
    std::call_once(ownMade_, [&] { own_ = ownFactory_(); });
    return *own_;
  }

  std::shared_ptr<Messenger> system_;
  TransportChoice::Factory ownFactory_;
  std::shared_ptr<std::atomic<bool>> gone_;
  std::once_flag ownMade_;
  std::shared_ptr<Messenger> own_;
};

std::u16string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return u"KORVEL";
  return std::u16string(reinterpret_cast<const char16_t*>(name), size);
}

// The workgroup or domain the local security authority has this computer in.
std::u16string PrimaryDomain() {
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  if (LsaOpenPolicy(nullptr, &attributes, POLICY_VIEW_LOCAL_INFORMATION, &policy) != 0) return {};
  POLICY_PRIMARY_DOMAIN_INFO* info = nullptr;
  std::u16string domain;
  if (LsaQueryInformationPolicy(policy, PolicyPrimaryDomainInformation,
                                reinterpret_cast<PVOID*>(&info)) == 0 &&
      info) {
    domain.assign(reinterpret_cast<const char16_t*>(info->Name.Buffer),
                  info->Name.Length / sizeof(wchar_t));
    LsaFreeMemory(info);
  }
  LsaClose(policy);
  return domain;
}

}  // namespace

std::optional<std::u16string> OwnWorkgroup() {
  std::u16string group;
  WKSTA_INFO_100* info = nullptr;
  if (NetWkstaGetInfo(nullptr, 100, reinterpret_cast<LPBYTE*>(&info)) == NERR_Success && info) {
    if (info->wki100_langroup)
      group.assign(reinterpret_cast<const char16_t*>(info->wki100_langroup));
    NetApiBufferFree(info);
  }
  // Windows refuses a workgroup named as one of its members, but Wine's workstation service
  // answers with the computer's own name: the workgroup Wine is set to is its primary domain.
  if (group.empty() || _wcsicmp(reinterpret_cast<const wchar_t*>(group.c_str()),
                                reinterpret_cast<const wchar_t*>(ComputerName().c_str())) == 0)
    group = PrimaryDomain();
  if (group.empty()) return std::nullopt;
  return group;
}

TransportChoice::TransportChoice(Factory system, Factory own, bool systemExists)
    : system_(std::move(system)),
      own_(std::move(own)),
      systemGone_(std::make_shared<std::atomic<bool>>(!systemExists)) {}

std::shared_ptr<Messenger> TransportChoice::NewJobMessenger() {
  if (systemGone_->load()) return own_();
  return std::make_shared<SystemThenOwn>(system_(), own_, systemGone_);
}

std::shared_ptr<Messenger> NewOwnMessenger() {
  wire::WireConfig config;
  config.computerName = ComputerName();
  config.ownWorkgroup = &OwnWorkgroup;
  auto own = std::make_shared<wire::WireMessenger>(std::move(config));
  if (RunningUnderWine()) return own;
  return std::make_shared<RemoteDesktopFallback>(own, SystemRemoteDesktopApi());
}

std::function<std::shared_ptr<Messenger>()> ProgramTransport() {
  auto choice = std::make_shared<TransportChoice>(
      [] { return std::make_shared<SystemMessenger>(); }, &NewOwnMessenger, !RunningUnderWine());
  return [choice] { return choice->NewJobMessenger(); };
}

}  // namespace korvel
