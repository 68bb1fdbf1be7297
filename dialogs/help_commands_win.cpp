// The help commands: each hands its document or address to the shell in its own call
// form; the about box is shown modally and gone when the command returns.
#include "dialogs/help_commands_win.h"

#include <shellapi.h>

#include "base/string_table.h"
#include "base/text.h"
#include "base/text_win.h"
#include "dialogs/about_box_win.h"

namespace korvel {

namespace {
struct SystemShell : DocumentShell {
  void Execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
               const wchar_t* directory, int show) override {
    ShellExecuteW(owner, verb, file, parameters, directory, show);
  }
};
}  // namespace

DocumentShell& SystemDocumentShell() {
  static SystemShell shell;
  return shell;
}

// An empty target is never handed on: the shell would open the current folder instead.
void OpenDocument(DocumentShell& shell, const std::wstring& target) {
  if (!target.empty())
    shell.Execute(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenQuietly(DocumentShell& shell, HWND owner, const std::wstring& target) {
  if (!target.empty())
    shell.Execute(owner, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNOACTIVATE);
}

std::wstring AddressOf(unsigned stringId) { return Widen(LoadStr(stringId)); }

std::string THelpCommands::HistoryFile() const { return ExtractFilePath(exePath_) + "history.txt"; }

void THelpCommands::actAboutExecute() { ShowAboutBox(owner_, shell_); }
void THelpCommands::actHomeExecute() { OpenDocument(shell_, AddressOf(IDS_PRODUCT_PAGE)); }
void THelpCommands::actMailExecute() { OpenQuietly(shell_, owner_, AddressOf(IDS_SUPPORT_MAIL)); }
void THelpCommands::actHelpExecute() { OpenDocument(shell_, WidePath(settings_.HelpFile)); }
void THelpCommands::actFAQExecute() { OpenDocument(shell_, WidePath(settings_.FaqFile)); }
void THelpCommands::actWhatNewExecute() { OpenDocument(shell_, WidePath(HistoryFile())); }

}  // namespace korvel
