// Why a message did not go, in words a user can act on: the tip of a failure line in the
// delivery log. The codes are those the transports give (see wire_status.h for the own
// client's; the system's messenger and the Remote Desktop message give Windows ones).
#pragma once

#include <string>

#include "sending/messenger.h"

namespace korvel {

// "Ошибка <code>: <what happened and what to do>."; a code nobody here gives is still
// named by its number.
std::u16string FailureReason(NetStatus code);

// Whether `code` has an explanation of its own rather than the general one.
bool FailureReasonKnown(NetStatus code);

}  // namespace korvel
