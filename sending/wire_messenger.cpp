// The messenger client: arguments, routes to recipients and what is remembered of them, the
// sender-name check, and workgroup datagrams.
#include "sending/wire_messenger.h"

#include <algorithm>
#include <exception>
#include <future>
#include <map>
#include <mutex>
#include <new>
#include <set>

#include "sending/oem866.h"

namespace korvel::wire {

namespace {

// The longest name the worker hands over is 128 characters; a name with no terminator within
// a little more than that is not a name.
constexpr size_t kMaxNameScan = 256;

std::optional<std::u16string_view> ReadName(const char16_t* name) {
  for (size_t i = 0; i < kMaxNameScan; ++i)
    if (name[i] == 0) return std::u16string_view(name, i);
  return std::nullopt;
}

// Reading byte by byte: the buffer need not be aligned for char16_t.
std::u16string ReadText(const uint8_t* buffer, uint32_t byteLength) {
  std::u16string text(byteLength / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(buffer[2 * i] | buffer[2 * i + 1] << 8);
  return text;
}

// What a name is on the wire: upper case, in 866; usable as a NetBIOS name when every
// character had its place and it fits in 15 bytes.
struct WireName {
  std::string oem;
  bool netbios = false;
};

WireName ToWireName(std::u16string_view name) {
  WireName w;
  bool exact = false;
  w.oem = Oem866FromUtf16(UpperName(name), &exact);
  w.netbios = exact && !w.oem.empty() && w.oem.size() <= kNetbiosNameLength;
  return w;
}

// A value worked out once per key, however many threads ask for it at the same time: the first
// asks the network, the others wait for its answer.
template <class Key, class Value>
class OnceMap {
 public:
  template <class Compute>
  Value Get(const Key& key, Compute compute) {
    std::promise<Value> promise;
    std::shared_future<Value> future;
    bool mine = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto [it, inserted] = map_.try_emplace(key);
      if (inserted) {
        it->second = promise.get_future().share();
        mine = true;
      }
      future = it->second;
    }
    if (mine) {
      try {
        promise.set_value(compute());
      } catch (...) {
        {
          std::lock_guard<std::mutex> lock(mutex_);
          map_.erase(key);
        }
        promise.set_exception(std::current_exception());
      }
    }
    return future.get();
  }

 private:
  std::mutex mutex_;
  std::map<Key, std::shared_future<Value>> map_;
};

}  // namespace

struct WireMessenger::Route {
  NetStatus status = kNerrSuccess;  // non-zero: the recipient is nowhere to be found
  Ipv4 address;
  NetbiosName called;
  std::string destination;
};

struct WireMessenger::Caches {
  OnceMap<std::u16string, Route> routes;
  OnceMap<std::string, NetStatus> names;
  // Addresses where the called name was refused and "*SMBSERVER" was taken.
  std::mutex anyServerMutex;
  std::set<Ipv4> anyServer;
};

WireMessenger::WireMessenger(WireConfig config)
    : config_(std::move(config)), datagramId_(0), caches_(std::make_unique<Caches>()) {
  WireName own = ToWireName(config_.computerName);
  callingName_ = own.oem.substr(0, kNetbiosNameLength);
  if (callingName_.empty()) callingName_ = "KORVEL";
  for (const LocalInterface& i : LocalInterfaces()) {
    ownAddresses_.push_back(i.address);
    broadcast_.push_back(i.broadcast);
  }
  if (!config_.broadcastAddresses.empty()) broadcast_ = config_.broadcastAddresses;
  std::sort(broadcast_.begin(), broadcast_.end());
  broadcast_.erase(std::unique(broadcast_.begin(), broadcast_.end()), broadcast_.end());
  datagramId_ = static_cast<uint16_t>(Clock::now().time_since_epoch().count());
}

WireMessenger::~WireMessenger() = default;

NetStatus WireMessenger::MessageBufferSend(const char16_t* name, const char16_t* fromName,
                                           const uint8_t* buffer, uint32_t byteLength) {
  try {
    if (!name || (byteLength >= 2 && !buffer)) return kStatusInvalidParameter;
    auto recipient = ReadName(name);
    if (!recipient) return kStatusInvalidParameter;
    if (fromName && !ReadName(fromName)) return kStatusInvalidParameter;
    std::u16string text = byteLength >= 2 ? ReadText(buffer, byteLength) : std::u16string();
    // A length that counted the terminator too would otherwise put a NUL on the wire.
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return Send(*recipient, fromName, text);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  } catch (...) {
    return kStatusNetworkError;
  }
}

NetStatus WireMessenger::MessageNameAdd(const char16_t* name) {
  try {
    if (!name) return kStatusInvalidParameter;
    auto n = ReadName(name);
    if (!n) return kStatusInvalidParameter;
    return CheckName(*n);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  } catch (...) {
    return kStatusNetworkError;
  }
}

NetStatus WireMessenger::MessageNameDel(const char16_t* name) {
  return name ? kNerrSuccess : kStatusInvalidParameter;
}

NetStatus WireMessenger::Send(std::u16string_view recipient, const char16_t* fromName,
                              std::u16string_view text) {
  const std::string originator = Originator(fromName);
  const std::string oemText = Oem866FromUtf16(text);
  if (!recipient.empty() && recipient.back() == u'*')
    return SendToGroup(recipient, originator, oemText);
  if (oemText.size() > config_.maxTextBytes) return kStatusTextTooLong;

  Route route = caches_->routes.Get(std::u16string(UpperName(recipient)),
                                    [&] { return FindRoute(recipient); });
  if (route.status != kNerrSuccess) return route.status;

  Delivery d;
  d.address = route.address;
  d.port = config_.sessionPort;
  d.called = route.called;
  {
    std::lock_guard<std::mutex> lock(caches_->anyServerMutex);
    if (caches_->anyServer.count(route.address)) d.called = AnyServerName();
  }
  d.calling = MakeNetbiosName(callingName_, kWorkstationSuffix);
  d.originator = originator;
  d.destination = route.destination;
  d.text = oemText;
  DeliveryResult result = Deliver(d, config_.timeouts);
  if (result.tookAnyServerName) {
    std::lock_guard<std::mutex> lock(caches_->anyServerMutex);
    caches_->anyServer.insert(route.address);
  }
  return result.status;
}

WireMessenger::Route WireMessenger::FindRoute(std::u16string_view recipient) {
  Route route;
  const WireName name = ToWireName(recipient);
  // Whether the recipient's own name is the one to call at its address.
  bool callByName = false;
  if (auto address = ParseIpv4(recipient)) {
    route.address = *address;
  } else if (auto resolved =
                 config_.resolve ? config_.resolve(recipient) : SystemResolve(recipient)) {
    route.address = *resolved;
    // "pc7.office.local" found by DNS is not the NetBIOS name of its computer.
    callByName = name.netbios && name.oem.find('.') == std::string::npos;
  } else if (name.netbios) {
    auto found = QueryName(MakeNetbiosName(name.oem, kMessengerSuffix), NameService());
    if (!found) return {kStatusNameNotFound, {}, {}, {}};
    route.address = *found;
    callByName = true;
  } else {
    return {kStatusNameNotFound, {}, {}, {}};
  }

  if (callByName) {
    route.called = MakeNetbiosName(name.oem, kMessengerSuffix);
    route.destination = name.oem;
    return route;
  }
  auto names = QueryNodeStatus(route.address, NameService());
  if (auto messenger = names ? MessengerNameOf(*names) : std::nullopt) {
    route.called = *messenger;
    route.destination = messenger->Name();
  } else {
    route.called = AnyServerName();
    route.destination = name.oem;
  }
  return route;
}

NetStatus WireMessenger::SendToGroup(std::u16string_view recipient, const std::string& originator,
                                     const std::string& text) {
  MessengerDatagram d;
  const std::u16string_view group = recipient.substr(0, recipient.size() - 1);
  if (group.empty()) {
    d.type = kBroadcastDatagram;
    d.destinationName = MakeNetbiosName("*", 0x00, 0x00);
    d.recipient.assign(1, '*');  // (not = "*": GCC 12 at -O3 warns wrongly of overlap)
  } else {
    const WireName name = ToWireName(group);
    if (!name.netbios) return kStatusInvalidName;
    d.type = kDirectGroupDatagram;
    d.destinationName = MakeNetbiosName(name.oem, config_.groupSuffix);
    d.recipient = name.oem;
  }
  d.originator = originator;
  d.text = text;
  if (d.originator.size() + d.recipient.size() + d.text.size() + 3 > kMaxMailslotData)
    return kStatusTextTooLong;
  if (broadcast_.empty()) return kStatusHostUnreachable;

  d.id = datagramId_.fetch_add(1);
  d.source = ownAddresses_.empty() ? Ipv4{} : ownAddresses_.front();
  d.sourceName = MakeNetbiosName(callingName_, kWorkstationSuffix);
  const std::vector<uint8_t> packet = BuildMessengerDatagram(d);
  Socket socket = Socket::Udp();
  if (!socket.Valid()) return kStatusNetworkError;
  socket.EnableBroadcast();
  bool sent = false;
  for (Ipv4 target : broadcast_)
    sent |=
        socket.SendTo(target, config_.datagramPort, packet.data(), packet.size()) == NetResult::Ok;
  return sent ? kNerrSuccess : kStatusNetworkError;
}

NetStatus WireMessenger::CheckName(std::u16string_view name) {
  if (name.empty()) return kNerrSuccess;
  const WireName w = ToWireName(name);
  if (!w.netbios) return kStatusInvalidName;
  if (w.oem == callingName_) return kNerrSuccess;
  return caches_->names.Get(w.oem, [&] {
    bool taken = QueryName(MakeNetbiosName(w.oem, kMessengerSuffix), NameService(), ownAddresses_)
                     .has_value();
    return taken ? kStatusDuplicateName : kNerrSuccess;
  });
}

std::string WireMessenger::Originator(const char16_t* fromName) const {
  if (!fromName || !*fromName) return callingName_;
  return Oem866FromUtf16(*ReadName(fromName)).substr(0, kNetbiosNameLength);
}

NameServiceOptions WireMessenger::NameService() const {
  NameServiceOptions o;
  o.targets = broadcast_;
  o.port = config_.nameServicePort;
  o.interval = config_.nameQueryInterval;
  o.attempts = config_.nameQueryAttempts;
  return o;
}

}  // namespace korvel::wire
