// TKorvelForm: the main window, its controls and its life from creation to exit.
#pragma once

#include <windows.h>

#include <string>

#include "app/formini_win.h"

namespace korvel {

constexpr const wchar_t* kMainWindowClass = L"TKorvelForm";

class TKorvelForm : public TFormINI {
 public:
  explicit TKorvelForm(const std::string& exePath);
  ~TKorvelForm() override;

  // Creates the window and its controls, then runs FormCreate. False if the system
  // refused to create the window.
  bool Create();

  // Whether destroying the window ends the message loop (the program's own window).
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  // Controls.
  HWND TreeAddresses = nullptr;
  HWND edRecipient = nullptr;
  HWND edSender = nullptr;
  HWND mMessage = nullptr;
  HWND lvLog = nullptr;

  // Handlers.
  void FormCreate();
  void FormDestroy();
  void ReceiveHandOver(const COPYDATASTRUCT* data);
  void actExitExecute();
  static std::string GetUserFromWindows();

  // The background colour of edSender: the window colour while it is enabled, the
  // button-face colour while it is disabled.
  COLORREF SenderColor() const { return senderColor_; }
  void ApplySenderPolicy();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  void LayoutControls();
  void LoadAddressBook();
  void SaveAddressBook();
  LRESULT ControlColor(HDC dc, HWND control, UINT msg, WPARAM wp, LPARAM lp);

  HFONT font_ = nullptr;
  HWND labelRecipient_ = nullptr;
  HWND labelSender_ = nullptr;
  HWND groupMessage_ = nullptr;
  COLORREF senderColor_ = 0;
  HBRUSH senderBrush_ = nullptr;
  bool quitOnDestroy_ = true;
};

// Registers the main window class (once per process).
void RegisterMainWindowClass();

}  // namespace korvel
