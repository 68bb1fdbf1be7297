// What the messenger client on the wire returns: Windows error numbers, so that a log or a
// debugger shows the same codes the system's Messenger would have given for the same cause.
// Each code below says when it is returned; the codes are stable, and the log explains them.
#pragma once

#include "sending/messenger.h"

namespace korvel::wire {

// No memory for the message.
constexpr NetStatus kStatusNoMemory = 8;  // ERROR_NOT_ENOUGH_MEMORY
// The receiver's session service would not take a session from us: it does not listen on the
// name called (negative response 0x80), does not take calls from this computer's name (0x81),
// or gave an unspecified error (0x8F). Something answers there, but not a messenger that takes
// this message; it is not "name not found".
constexpr NetStatus kStatusRemoteNotListening = 51;  // ERROR_REM_NOT_LIST
// The receiver's messenger refused the message: messages are switched off there (Samba's
// "message command" empty, a paused messenger, a full message log).
constexpr NetStatus kStatusRequestNotAccepted = 71;  // ERROR_REQ_NOT_ACCEP
// The receiver refused the message with an error of its own that none of the codes here
// names. (Its DOS-class errors come through as they are, e.g. 87 for a malformed request.)
constexpr NetStatus kStatusBadNetResponse = 58;  // ERROR_BAD_NET_RESP
// A null name, a name without its terminator, or a buffer missing for a non-empty message.
constexpr NetStatus kStatusInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
// The text is longer than the messenger protocol allows (652 bytes in 866 for a message, 424
// bytes for a workgroup datagram with its two names); nothing was sent.
constexpr NetStatus kStatusTextTooLong = 111;  // ERROR_BUFFER_OVERFLOW
// A name that cannot be a NetBIOS name (more than 15 bytes in 866, or characters 866 lacks):
// a workgroup given so, or a sender name to register.
constexpr NetStatus kStatusInvalidName = 123;  // ERROR_INVALID_NAME
// The receiver's session service is out of resources for now (negative response 0x83): a
// temporary failure of that computer; the same message may go through a little later.
constexpr NetStatus kStatusReceiverBusy = 1130;  // ERROR_NOT_ENOUGH_SERVER_MEMORY
// Nothing listens on the receiver's messenger port (TCP 139), or there is no route to it.
constexpr NetStatus kStatusConnectionRefused = 1225;  // ERROR_CONNECTION_REFUSED
constexpr NetStatus kStatusHostUnreachable = 1232;    // ERROR_HOST_UNREACHABLE
// "*" (this computer's workgroup or domain) was asked for, and the system would not say which
// workgroup this computer belongs to.
constexpr NetStatus kStatusNoWorkgroup = 1355;  // ERROR_NO_SUCH_DOMAIN
// The connection, a reply or the whole delivery (20 s) did not come in time.
constexpr NetStatus kStatusTimeout = 1460;  // ERROR_TIMEOUT
// A reply that is malformed, truncated, oversized or not the one expected; the connection closed
// in the middle; a socket the system would not give.
constexpr NetStatus kStatusNetworkError = 2136;  // NERR_NetworkError
// No messenger there: the recipient's name is found nowhere (NetBIOS name service, then the
// system's resolver), or its computer answers that the name is not present and lists no other
// messenger name, or the only server there refuses messenger commands. The Remote Desktop
// message is tried for this code only (with 1225).
constexpr NetStatus kStatusNameNotFound = 2273;  // NERR_NameNotFound
// MessageNameAdd: another computer already answers to the name.
constexpr NetStatus kStatusDuplicateName = 2297;  // NERR_DuplicateName

}  // namespace korvel::wire
