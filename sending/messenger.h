// What a send worker needs from a message transport.
#pragma once
#include <cstdint>
namespace korvel {
// 0 when the call succeeded, a system error code otherwise (the worker looks only at 0 / non-zero).
using NetStatus = uint32_t;
constexpr NetStatus kNerrSuccess = 0;
// One object serves one send job and is shared by all of that job's worker threads, so every
// call may come from several threads at once.
class Messenger {
 public:
  virtual ~Messenger() = default;
  // `name`: the recipient, zero-terminated UTF-16 (at most 128 characters; may be empty).
  // `fromName`: zero-terminated UTF-16, or nullptr for "this computer's own name".
  // `buffer`: the message as UTF-16 little-endian, zero-terminated; `byteLength` is 2 × L + 1 for
  // a message of L characters (so the text is byteLength / 2 characters).
  virtual NetStatus MessageBufferSend(const char16_t* name, const char16_t* fromName,
                                      const uint8_t* buffer, uint32_t byteLength) = 0;
  virtual NetStatus MessageNameAdd(const char16_t* name) = 0;
  virtual NetStatus MessageNameDel(const char16_t* name) = 0;
};
}  // namespace korvel
