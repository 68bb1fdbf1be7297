// TDlgOptions: the options dialog, with its one choice — send under the computer's own
// name or under the name in the sender box.
#pragma once

#include <windows.h>

#include <cstdint>

namespace korvel {

// Shows the dialog over `owner` with `whatSend` chosen (0 the first item, any other value
// the second). On OK `whatSend` becomes the chosen item, 0 or 1, and the result is true;
// Cancel, Esc and the close box leave it as it was, whatever it held.
bool ShowOptionsDialog(HWND owner, uint8_t& whatSend);

}  // namespace korvel
