// The hover tip of the delivery log where the list view shows none of its own. Wine's list
// view ignores LVS_EX_INFOTIP and never asks LVN_GETINFOTIP, so under Wine a tooltip of
// ours follows the mouse over the list and shows the reason of the line under it; on
// Windows the list's own info tip does that and this stays off.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/handles_win.h"

namespace korvel {

class LogHoverTip {
 public:
  // `reason(row)` gives line `row`'s tip, empty for none; asked on the UI thread.
  LogHoverTip(HWND list, std::function<std::wstring(size_t row)> reason);
  ~LogHoverTip();
  LogHoverTip(const LogHoverTip&) = delete;
  LogHoverTip& operator=(const LogHoverTip&) = delete;

  // The tooltip window, for tests.
  HWND Tip() const { return tip_; }
  // The lines changed under a resting mouse: the tip is asked again.
  void Forget();

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR self);
  void MouseAt(LPARAM lp);

  HWND list_;
  HWND tip_ = nullptr;
  std::function<std::wstring(size_t)> reason_;
  int row_ = -2;  // the line whose text the tip holds; -2 before the first
};

}  // namespace korvel
