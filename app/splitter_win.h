// A splitter bar the user drags to share space between two regions of a window.
#pragma once

#include <functional>

#include "base/window_win.h"

namespace korvel {

class TSplitter : public Window {
 public:
  enum class Kind { Vertical, Horizontal };  // a vertical bar moves left and right

  // `onDrag` receives, while the mouse drags, the position the bar's left (or top) edge
  // would take, in the parent's client coordinates; the parent clamps it and lays out.
  TSplitter(HWND parent, int id, Kind kind, std::function<void(int)> onDrag);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void SplitterSetCursor();
  void SplitterMouseDown(POINT at);
  void SplitterMouseMove(POINT at);
  void SplitterMouseUp();

  Kind kind_;
  std::function<void(int)> onDrag_;
  int grabOffset_ = 0;
};

}  // namespace korvel
