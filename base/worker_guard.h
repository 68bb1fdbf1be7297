// The exception boundary of code that runs on a worker thread. Nothing may leave a
// thread function, and a worker must never show anything: a modal box's message loop
// on the UI thread would let further hand-overs in, and a box on a worker thread would
// stand without an owner.
#pragma once

#include <exception>
#include <string>

namespace korvel {

// Runs `fn`; returns false when it raised. `whatFailed`, when given, receives the text of
// the exception ("" for one that is no std::exception).
template <typename Fn>
bool WorkerGuarded(Fn&& fn, std::string* whatFailed = nullptr) noexcept {
  try {
    fn();
    return true;
  } catch (const std::exception& e) {
    if (whatFailed) {
      try {
        *whatFailed = e.what();
      } catch (...) {
      }
    }
  } catch (...) {
    if (whatFailed) whatFailed->clear();
  }
  return false;
}

}  // namespace korvel
