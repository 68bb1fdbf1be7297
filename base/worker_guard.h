// The exception boundary of code that runs on a worker thread. Nothing may leave a
// thread function, and a worker must never show anything: a modal box's message loop
// on the UI thread would let further hand-overs in, and a box on a worker thread would
// stand without an owner. What failed is written to the trace instead, so it is not lost.
#pragma once

#include <exception>

#include "base/trace.h"

namespace korvel {

// Runs `fn`; returns false when it raised, after one trace line naming what the worker
// was `doing` ("sending to one recipient") and the exception's text.
template <typename Fn>
bool WorkerGuarded(Fn&& fn, const char* doing) noexcept {
  try {
    fn();
    return true;
  } catch (const std::exception& e) {
    try {
      Trace(FailureLine(doing, e.what()));
    } catch (...) {
    }
  } catch (...) {
    try {
      Trace(FailureLine(doing, nullptr));
    } catch (...) {
    }
  }
  return false;
}

}  // namespace korvel
