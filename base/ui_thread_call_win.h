// Running a function on the UI thread from a worker thread, and waiting until it has
// run: the synchronous hand-over of a worker's results to the windows, which only the
// UI thread may touch.
//
// How it ends: the UI thread closes the call before it tears its windows down. From
// then on Run refuses at once, and a worker that was already waiting is released
// without its function running (its message reaches a window that is gone). The UI
// thread itself never waits for a worker, so nothing can block both ways.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace korvel {

class UiThreadCall {
 public:
  // Creates the message-only window that receives the calls. Must be made on the UI
  // thread. Copies share it: workers keep a copy, the UI thread closes it.
  UiThreadCall();

  // Runs `fn` on the UI thread and returns when it has run: true when it ran to its end,
  // false when the call was closed, the window is gone or `fn` raised. Never shows
  // anything itself: `fn` runs inside whatever message loop the UI thread is in (a
  // modal dialog's too), so a message box here would let further calls in. On the UI
  // thread, `fn` runs at once.
  bool Run(const std::function<void()>& fn) const noexcept;

  // Wakes the UI thread's message loop, so that its idle work (the commands' enabled
  // states) runs without waiting for the user's next input.
  void Wake() const noexcept;

  // UI thread only: refuses every later call and destroys the window. Idempotent.
  void Close() const noexcept;

  bool Closed() const noexcept;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace korvel
