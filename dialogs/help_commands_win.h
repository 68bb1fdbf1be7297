// THelpCommands: the about box and the commands that open the manual, the FAQ, the
// version history, the product's web page and a mail to its maker.
#pragma once

#include <windows.h>

#include <string>

#include "base/settings.h"

namespace korvel {

// Every document, page and mail address the program opens goes through here, with
// ShellExecute's arguments (nullptr where the call passes none). Nothing looks at the
// result: a target that cannot be opened is no concern of the program's.
struct DocumentShell {
  virtual ~DocumentShell() = default;
  virtual void Execute(HWND owner, const wchar_t* verb, const wchar_t* file,
                       const wchar_t* parameters, const wchar_t* directory, int show) = 0;
};

// The system's shell (ShellExecuteW, which shows no error of its own).
DocumentShell& SystemDocumentShell();

// The two ways a target is handed to the shell.
// Documents and web pages: no owner, the verb "open", shown normally.
void OpenDocument(DocumentShell& shell, const std::wstring& target);
// Mail and the forum: the program's window as owner, the shell's default verb, and
// shown without taking the focus from the program.
void OpenQuietly(DocumentShell& shell, HWND owner, const std::wstring& target);

// A string table entry (an address) as the shell is given it.
std::wstring AddressOf(unsigned stringId);

class THelpCommands {
 public:
  // `settings` (the help and FAQ paths) belongs to the main window and outlives this;
  // `exePath` (UTF-8) is the program's own path, whose folder holds the history.
  THelpCommands(HWND owner, const Settings& settings, std::string exePath, DocumentShell& shell)
      : owner_(owner), settings_(settings), exePath_(std::move(exePath)), shell_(shell) {}

  void actAboutExecute();
  void actHomeExecute();
  void actMailExecute();
  void actHelpExecute();
  void actFAQExecute();
  void actWhatNewExecute();

  // The version history beside the program, as the command opens it now (UTF-8).
  std::string HistoryFile() const;

 private:
  HWND owner_;
  const Settings& settings_;
  std::string exePath_;
  DocumentShell& shell_;
};

}  // namespace korvel
