#pragma once

#include <exception>
#include <string>

#include "base/errors.h"
#include "base/message_box_win.h"
#include "base/text_win.h"

namespace korvel {

namespace detail {
// The description of what failed; a description that itself fails is left out.
template <typename Describe>
std::string Described(Describe& describe) noexcept {
  try {
    return describe();
  } catch (...) {
    return {};
  }
}
}  // namespace detail

template <typename Fn, typename Describe>
bool GuardedAs(Fn&& fn, Describe&& describe) {
  try {
    fn();
    return true;
  } catch (const KorvelError& e) {
    ShowFailure({}, &e);
  } catch (const std::exception& e) {
    ShowFailure(detail::Described(describe), &e);
  } catch (...) {
    ShowFailure(detail::Described(describe), nullptr);
  }
  return false;
}

template <typename Fn>
bool Guarded(Fn&& fn, const wchar_t* doing) {
  return GuardedAs(fn, [doing] { return Narrow(doing); });
}

}  // namespace korvel
