// What the messenger client on the wire returns: Windows error numbers, so that a log or a
// debugger shows the same codes the system's Messenger would have given for the same cause.
#pragma once

#include "sending/messenger.h"

namespace korvel::wire {

// No memory for the message.
constexpr NetStatus kStatusNoMemory = 8;  // ERROR_NOT_ENOUGH_MEMORY
// The receiver refused the message (DOS ERRDOS codes come through as they are, e.g. 87).
constexpr NetStatus kStatusRequestNotAccepted = 71;  // ERROR_REQ_NOT_ACCEP: messages off
constexpr NetStatus kStatusBadNetResponse = 58;      // ERROR_BAD_NET_RESP: any other refusal
// A null name, a name without its terminator, or a buffer missing for a non-empty message.
constexpr NetStatus kStatusInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
// The text is longer than a receiver takes; nothing was sent.
constexpr NetStatus kStatusTextTooLong = 111;  // ERROR_BUFFER_OVERFLOW
// A name that cannot be a NetBIOS name (more than 15 bytes in 866, or characters 866 lacks).
constexpr NetStatus kStatusInvalidName = 123;  // ERROR_INVALID_NAME
// Nothing listens on the receiver's port, or there is no route to it.
constexpr NetStatus kStatusConnectionRefused = 1225;  // ERROR_CONNECTION_REFUSED
constexpr NetStatus kStatusHostUnreachable = 1232;    // ERROR_HOST_UNREACHABLE
// The connection or a reply did not come in time.
constexpr NetStatus kStatusTimeout = 1460;  // ERROR_TIMEOUT
// A reply that is malformed, truncated, oversized or not the one expected; the connection closed
// in the middle; a socket the system would not give.
constexpr NetStatus kStatusNetworkError = 2136;  // NERR_NetworkError
// The recipient's name resolves nowhere, or its computer says the name is not there.
constexpr NetStatus kStatusNameNotFound = 2273;  // NERR_NameNotFound
// MessageNameAdd: another computer already answers to the name.
constexpr NetStatus kStatusDuplicateName = 2297;  // NERR_DuplicateName

}  // namespace korvel::wire
