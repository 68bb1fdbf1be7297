#pragma once

#include <exception>

#include "base/message_box_win.h"

namespace korvel {

template <typename Fn>
bool Guarded(Fn&& fn) {
  try {
    fn();
    return true;
  } catch (const std::exception& e) {
    ShowMessage(e.what());
  } catch (...) {
    ShowMessage("Unexpected error");
  }
  return false;
}

}  // namespace korvel
