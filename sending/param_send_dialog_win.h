// TParamSend: the repeat dialog of "Отправить многократно".
#pragma once

#include <windows.h>

#include <cstdint>

namespace korvel {

struct ParamSendData {
  int32_t count = 10;    // 0 to 100
  int32_t interval = 1;  // seconds, 0 to 100
};

// Shows the dialog over `owner` with the values of `inOut`; on OK, `inOut` takes what the
// up-down controls hold. False (and `inOut` untouched) for Cancel, Esc or the close box.
bool ShowParamSendDialog(HWND owner, ParamSendData& inOut);

}  // namespace korvel
