// How messages leave this computer, decided in one place for the whole run.
//
// The system's Messenger is used where it really exists: on Windows while its calls
// answer. From the first call it answers ERROR_NOT_SUPPORTED (50) — every Windows since
// Vista — the program's own messenger client takes over for the rest of the run, with the
// Remote Desktop message behind it for computers where no messenger answers. Under Wine
// the system's calls end the process, so the own client is used from the start and the
// Remote Desktop calls (stubs there) are never made.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "sending/messenger.h"

namespace korvel {

class TransportChoice {
 public:
  using Factory = std::function<std::shared_ptr<Messenger>()>;

  // `system` and `own` make one job's transport each; `systemExists` is what is known
  // before the first call (false under Wine).
  TransportChoice(Factory system, Factory own, bool systemExists);

  // The transport of one send job.
  std::shared_ptr<Messenger> NewJobMessenger();

  bool SystemGone() const { return systemGone_->load(); }

 private:
  Factory system_;
  Factory own_;
  std::shared_ptr<std::atomic<bool>> systemGone_;
};

// The workgroup or domain this computer belongs to (the workstation service's own answer,
// which Wine takes from its settings); nullopt when the system does not say.
std::optional<std::u16string> OwnWorkgroup();

// The program's own messenger client for one job, with this computer's name, the
// system's resolver and the broadcast addresses of this computer's interfaces; behind it,
// on Windows, the Remote Desktop message.
std::shared_ptr<Messenger> NewOwnMessenger();

// What the program uses: the system's Messenger and its own client, chosen as above.
std::function<std::shared_ptr<Messenger>()> ProgramTransport();

}  // namespace korvel
