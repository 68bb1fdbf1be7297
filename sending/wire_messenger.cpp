// The messenger client: arguments, routes to recipients and what is remembered of them, the
// sender-name check, and workgroup datagrams.
#include "sending/wire_messenger.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <future>
#include <map>
#include <mutex>
#include <new>
#include <thread>

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

// The system's resolver, bounded: it runs on a thread of its own, and past `timeout` the caller
// stops waiting for it. The lookup then finishes by itself and its answer is dropped; what it
// needs it owns.
struct Lookup {
  std::optional<Ipv4> address;
  bool answered = false;  // within the time; a nullopt address is then a clear "no such name"
};

Lookup ResolveWithin(const std::function<std::optional<Ipv4>(std::u16string_view)>& resolve,
                     std::u16string_view name, std::chrono::milliseconds timeout) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::optional<Ipv4> address;
  };
  auto shared = std::make_shared<Shared>();
  std::thread([shared, resolve, name = std::u16string(name)] {
    std::optional<Ipv4> address;
    try {
      address = resolve ? resolve(name) : SystemResolve(name);
    } catch (...) {
    }
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->address = address;
    shared->finished = true;
    shared->done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(shared->mutex);
  if (!shared->done.wait_for(lock, timeout, [&] { return shared->finished; })) return {};
  return {shared->address, true};
}

}  // namespace

struct WireMessenger::Route {
  NetStatus status = kNerrSuccess;  // non-zero: the recipient cannot be reached this way
  bool settled = false;             // of a failure: a clear answer, kept for the job
  Ipv4 address;
  NetbiosName called;
  std::string destination;
  // `called` is the recipient's own name; when its computer says it does not hold it, its node
  // status may name the messenger there.
  bool calledByName = false;
  friend bool operator==(const Route&, const Route&) = default;
};

struct WireMessenger::Outcome {
  NetStatus status = kNerrSuccess;
  bool settled = false;  // of a failure: a clear answer
  Route route;           // of a delivery: the way it went
};

// Routes per recipient, worked out once however many workers ask at the same time: the first
// asks the network, the others wait for its answer. A route stays only while it leads to
// deliveries or is a clear negative answer.
struct WireMessenger::Caches {
  std::mutex mutex;
  std::map<std::u16string, std::shared_future<Route>> routes;
  std::mutex namesMutex;
  std::map<std::string, std::shared_future<NetStatus>> names;
  std::once_flag workgroupAsked;
  std::optional<std::u16string> workgroup;

  template <class Key, class Value, class Compute>
  static Value Get(std::mutex& mutex, std::map<Key, std::shared_future<Value>>& map, const Key& key,
                   Compute compute) {
    std::promise<Value> promise;
    std::shared_future<Value> future;
    bool mine = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      auto [it, inserted] = map.try_emplace(key);
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
          std::lock_guard<std::mutex> lock(mutex);
          map.erase(key);
        }
        promise.set_exception(std::current_exception());
      }
    }
    return future.get();
  }

  // Replaces what is kept for `key`, unless someone has already replaced the route `used`.
  void Keep(const std::u16string& key, const Route& used, std::optional<Route> next) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = routes.find(key);
    if (it == routes.end() ||
        it->second.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
      return;
    try {
      if (!(it->second.get() == used)) return;
    } catch (...) {
    }
    if (!next) {
      routes.erase(it);
      return;
    }
    std::promise<Route> promise;
    promise.set_value(*next);
    it->second = promise.get_future().share();
  }
};

WireMessenger::WireMessenger(WireConfig config)
    : config_(std::move(config)), datagramId_(0), caches_(std::make_unique<Caches>()) {
  WireName own = ToWireName(config_.computerName);
  callingName_ = own.oem.substr(0, kNetbiosNameLength);
  if (callingName_.empty()) callingName_ = "KORVEL";
  interfaces_ = config_.interfaces.empty() ? LocalInterfaces() : config_.interfaces;
  for (const LocalInterface& i : interfaces_) {
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
    return SendToGroup(recipient.substr(0, recipient.size() - 1), originator, oemText);
  if (oemText.size() > config_.maxTextBytes) return kStatusTextTooLong;

  const Deadline end = Clock::now() + config_.timeouts.total;
  const std::u16string key = UpperName(recipient);
  const Route route =
      Caches::Get(caches_->mutex, caches_->routes, key, [&] { return FindRoute(recipient, end); });
  if (route.status != kNerrSuccess) {
    if (!route.settled) caches_->Keep(key, route, std::nullopt);
    return route.status;
  }

  Delivery d;
  d.address = route.address;
  d.port = config_.sessionPort;
  d.calling = MakeNetbiosName(callingName_, kWorkstationSuffix);
  d.originator = originator;
  d.text = oemText;
  const Outcome outcome = DeliverAlong(route, std::move(d), end);
  if (outcome.status == kNerrSuccess) {
    if (!(outcome.route == route)) caches_->Keep(key, route, outcome.route);
  } else if (outcome.settled) {
    Route negative;
    negative.status = outcome.status;
    negative.settled = true;
    caches_->Keep(key, route, negative);
  } else {
    caches_->Keep(key, route, std::nullopt);
  }
  return outcome.status;
}

WireMessenger::Route WireMessenger::FindRoute(std::u16string_view recipient, Deadline end) {
  const WireName name = ToWireName(recipient);
  if (auto address = ParseIpv4(recipient)) return RouteToAddress(*address, name.oem, end);

  Route notFound;
  notFound.status = kStatusNameNotFound;
  // A NetBIOS name as the system's NetBIOS would find it, before any DNS search suffix can turn
  // it into some other computer's name.
  const bool netbios = name.netbios && name.oem.find('.') == std::string::npos;
  if (netbios) {
    const NetbiosName messenger = MakeNetbiosName(name.oem, kMessengerSuffix);
    if (auto found = QueryName(messenger, NameService(), {}, end)) {
      Route route;
      route.address = *found;
      route.called = messenger;
      route.destination = name.oem;
      route.calledByName = true;
      return route;
    }
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
  const Lookup lookup = ResolveWithin(
      config_.resolve, recipient,
      std::max(std::chrono::milliseconds(0), std::min(config_.resolverTimeout, left)));
  if (!lookup.address) {
    notFound.settled = lookup.answered;
    return notFound;
  }
  if (!netbios) return RouteToAddress(*lookup.address, name.oem, end);
  Route route;
  route.address = *lookup.address;
  route.called = MakeNetbiosName(name.oem, kMessengerSuffix);
  route.destination = name.oem;
  route.calledByName = true;
  return route;
}

// A computer known by its address only: its node status says which messenger name it holds.
WireMessenger::Route WireMessenger::RouteToAddress(Ipv4 address, const std::string& destination,
                                                   Deadline end) {
  Route route;
  route.address = address;
  auto names = QueryNodeStatus(address, NameService(), end);
  if (!names) {
    // Nothing answers for names there (an smbd without its name service): the name every
    // server answers to.
    route.called = AnyServerName();
    route.destination = destination;
    return route;
  }
  if (auto messenger = MessengerNameOf(*names)) {
    route.called = *messenger;
    route.destination = messenger->Name();
    return route;
  }
  route.status = kStatusNameNotFound;
  route.settled = true;
  return route;
}

WireMessenger::Outcome WireMessenger::DeliverAlong(const Route& route, Delivery d, Deadline end) {
  d.called = route.called;
  d.destination = route.destination;
  DeliveryResult result = Deliver(d, config_.timeouts, end);
  if (result.status == kNerrSuccess) return {kNerrSuccess, false, route};

  const bool anyServer = route.called == AnyServerName();
  if (result.calledNameAbsent && route.calledByName) {
    // Not the name of a messenger there: the computer's own list of names says which is.
    Route next = route;
    next.calledByName = false;
    auto names = QueryNodeStatus(route.address, NameService(), end);
    if (names) {
      auto messenger = MessengerNameOf(*names, route.called);
      if (!messenger) return {kStatusNameNotFound, true, {}};
      next.called = *messenger;
      next.destination = messenger->Name();
    } else {
      next.called = AnyServerName();
    }
    return DeliverAlong(next, std::move(d), end);
  }
  // A server that answers to any name but takes no messenger commands is no messenger.
  if (result.calledNameAbsent || (anyServer && result.refusedInSession))
    return {kStatusNameNotFound, false, {}};
  return {result.status, false, {}};
}

NetStatus WireMessenger::SendToGroup(std::u16string_view group, const std::string& originator,
                                     const std::string& text) {
  std::u16string groupName(group);
  if (groupName.empty()) {
    std::call_once(caches_->workgroupAsked, [&] {
      if (config_.ownWorkgroup) caches_->workgroup = config_.ownWorkgroup();
    });
    if (!caches_->workgroup || caches_->workgroup->empty()) return kStatusNoWorkgroup;
    groupName = *caches_->workgroup;
  }
  const WireName name = ToWireName(groupName);
  if (!name.netbios) return kStatusInvalidName;

  MessengerDatagram d;
  d.type = kDirectGroupDatagram;
  d.destinationName = MakeNetbiosName(name.oem, config_.groupSuffix);
  d.recipient = name.oem;
  d.originator = originator;
  d.text = text;
  if (d.originator.size() + d.recipient.size() + d.text.size() + 3 > kMaxMailslotData)
    return kStatusTextTooLong;
  if (broadcast_.empty()) return kStatusHostUnreachable;

  d.id = datagramId_.fetch_add(1);
  d.sourceName = MakeNetbiosName(callingName_, kWorkstationSuffix);
  Socket socket = Socket::Udp();
  if (!socket.Valid()) return kStatusNetworkError;
  socket.EnableBroadcast();
  bool sent = false;
  for (Ipv4 target : broadcast_) {
    // A receiver may answer the source address: the one this computer has on that subnet.
    d.source = InterfaceAddressFor(target, interfaces_)
                   .value_or(ownAddresses_.empty() ? Ipv4{} : ownAddresses_.front());
    const std::vector<uint8_t> packet = BuildMessengerDatagram(d);
    sent |=
        socket.SendTo(target, config_.datagramPort, packet.data(), packet.size()) == NetResult::Ok;
  }
  return sent ? kNerrSuccess : kStatusNetworkError;
}

NetStatus WireMessenger::CheckName(std::u16string_view name) {
  if (name.empty()) return kNerrSuccess;
  const WireName w = ToWireName(name);
  if (!w.netbios) return kStatusInvalidName;
  if (w.oem == callingName_) return kNerrSuccess;
  return Caches::Get(caches_->namesMutex, caches_->names, w.oem, [&] {
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
