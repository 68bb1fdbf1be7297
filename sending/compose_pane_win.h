// TComposePane: the right-hand side of the main window where a message is composed —
// the recipient field, the sender box with its history and the message text — and the
// commands that turn what stands there into a send job.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/handles_win.h"
#include "base/settings.h"
#include "sending/send_jobs_win.h"

namespace korvel {

class TComposePane {
 public:
  struct Wiring {
    // Runs a command of the main window the way a menu does (its enabling rule first).
    std::function<void(int commandId)> executeCommand;
  };

  // `settings` and `jobs` belong to the main window and outlive the pane.
  TComposePane(HWND parent, const Settings& settings, TSendJobs& jobs, Wiring wiring);
  ~TComposePane();
  TComposePane(const TComposePane&) = delete;
  TComposePane& operator=(const TComposePane&) = delete;

  HWND edRecipient = nullptr;
  HWND edSender = nullptr;
  HWND mMessage = nullptr;

  // Places the controls: the recipient/sender panel at the top of `area`, the message
  // frame below it, their sizes scaled to `dpi`.
  void Place(HDWP& dwp, const RECT& area, UINT dpi);
  // The panel's bevel, drawn by the main window's paint.
  void PaintBevel(HDC dc) const;
  const RECT& PanelRect() const { return panel3_; }

  // The sender history: the pane keeps it, newest first, and shows it in the sender box.
  // Filled at start from the stored names (the user's name when there are none), handed
  // back at exit.
  void LoadSenderHistory(std::vector<std::string> names, const std::string& userName);
  const std::vector<std::string>& SenderHistory() const { return senderHistory_; }

  // The settings' sender-name policy, applied to the sender box (enabled unless messages
  // go out under the computer's own name) and to the send jobs, running ones included.
  void ApplySenderPolicy();
  COLORREF SenderColor() const { return senderColor_; }
  // Colours of the sender box, or nullptr for controls that are not the pane's.
  HBRUSH ControlColor(HDC dc, HWND control) const;

  void SetRecipients(const std::string& text);
  void mMessageKeyDown(WPARAM key);

  void actSendExecute();
  void actSendTimerExecute();
  void actNewExecute();
  bool actSendUpdate() const;

  // Puts the sender box's text at the top of the sender history and returns the sender a
  // job goes out under, which the box now shows.
  std::string AddToSenderList();
  // The message: the lines of the text box as it shows them, joined with CR LF.
  std::string MessageText() const;

 private:
  static LRESULT CALLBACK MessageBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR self);
  // The keys the message text box asks for, less Tab.
  static LRESULT MessageBoxKeys(LRESULT wanted, const MSG* key);
  // Shows the history in the sender box, the newest entry selected.
  void ShowSenderHistory();

  HWND owner_;
  const Settings& settings_;
  TSendJobs& jobs_;
  Wiring wiring_;
  HWND labelRecipient_ = nullptr;
  HWND labelSender_ = nullptr;
  HWND groupMessage_ = nullptr;
  COLORREF senderColor_ = 0;
  Brush senderBrush_;
  std::vector<std::string> senderHistory_;
  RECT panel3_{};
};

}  // namespace korvel
