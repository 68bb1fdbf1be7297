// The program's entry: the single-instance check, the hand-over and the message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/command_line.h"
#include "app/hand_over_win.h"
#include "app/main_form_win.h"
#include "base/message_box_win.h"
#include "base/module_path_win.h"

namespace korvel {

bool SendHandOver(HWND target, HWND from, const std::string& text) {
  COPYDATASTRUCT cds{};
  cds.dwData = 0;
  cds.cbData = static_cast<DWORD>(text.size());
  cds.lpData = text.empty() ? nullptr : const_cast<char*>(text.data());
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                             reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL | SMTO_ABORTIFHUNG, 30000,
                             &result) != 0;
}

int RunProgram(const std::string& commandLine) {
  const std::string argument = FirstArgument(commandLine);

  if (HWND running = FindWindowW(kMainWindowClass, nullptr)) {
    SendHandOver(running, nullptr, argument);
    SetForegroundWindow(running);
    ShowWindow(running, SW_RESTORE);
    return 0;
  }

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  SetApplicationTitle("Korvel");

  TKorvelForm form(ModulePath());
  if (!form.Create()) {
    ShowMessage("Unable to create the main window");
    return 1;
  }
  SendHandOver(form.Handle(), form.Handle(), argument);
  form.ShowForm();

  return form.Run();
}

}  // namespace korvel
