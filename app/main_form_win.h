// TKorvelForm: the main window. It lays out and wires the panes of the subsystems, owns
// the command table's menus and toolbar and the values every pane shares, and runs the
// program's life from creation to exit.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "addressbook/address_book_pane_win.h"
#include "app/cool_tray_icon_win.h"
#include "app/formini_win.h"
#include "app/image_lists_win.h"
#include "app/splitter_win.h"
#include "base/dpi_win.h"
#include "base/handles_win.h"
#include "base/ui_thread_call_win.h"
#include "dialogs/help_commands_win.h"
#include "dialogs/options_dialog_win.h"
#include "import/import_commands_win.h"
#include "import/network_browse_win.h"
#include "import/server_users_win.h"
#include "sending/compose_pane_win.h"
#include "sending/delivery_log_win.h"
#include "sending/messenger.h"
#include "sending/send_job.h"
#include "sending/send_jobs_win.h"
#include "sending/service_control_win.h"
#include "sending/transport_win.h"

namespace korvel {

constexpr const wchar_t* kMainWindowClass = L"TKorvelForm";

// The operating system's services the window reaches through seams: the real ones in
// the program, recording or scripted ones in tests.
struct FormServices {
  TrayShell* trayShell = &SystemTrayShell();
  ServiceManager* serviceManager = &SystemServiceManager();
  NetworkShell* networkShell = &SystemNetworkShell();
  UserEnumerator* userEnumerator = &SystemUserEnumerator();
  FileDialogs* fileDialogs = &SystemFileDialogs();
  DocumentShell* documentShell = &SystemDocumentShell();
  // The transport of each send job, made as the job starts: the one place that chooses
  // how messages leave the computer.
  std::function<std::shared_ptr<Messenger>()> newJobMessenger = ProgramTransport();
  // Threads, tick counter and sleep of the send jobs; nullptr for the system's.
  std::shared_ptr<JobSystem> jobSystem;
};

class TKorvelForm : public TFormINI {
 public:
  // `exePath` (UTF-8) decides where the settings and the address book live.
  explicit TKorvelForm(const std::string& exePath, FormServices services = {});
  ~TKorvelForm() override;

  // Creates the window and its controls, then runs FormCreate. False if the system
  // refused to create the window.
  bool Create();

  // Whether destroying the window ends the message loop (the program's own window).
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  // Runs the message loop until the window is closed.
  int Run();

  // Re-evaluates every command's enabled state and shows it in menus and toolbar.
  void UpdateCommands();
  // Runs a command the way a menu or button does: its enabling rule first.
  void ExecuteCommand(int id);
  bool CommandEnabled(int id) const;

  // The panes of the subsystems.
  TAddressBookPane& AddressBook() { return *addressBook_; }
  TComposePane& Compose() { return *compose_; }
  TDeliveryLog& Log() { return *log_; }
  TImportCommands& Imports() { return *imports_; }

  // Values every pane shares; they live as long as the window object.
  const std::string& ScannerFolder() const { return scannerFolder_; }
  std::atomic<uint8_t>& SendInProgress() { return *sendInProgress_; }
  // How workers reach this window's thread.
  const UiThreadCall& UiCall() const { return uiCall_; }

  // Controls and menus of the form itself.
  HWND ActionToolBar1 = nullptr;
  HWND StatusBar1 = nullptr;
  HMENU ActionMainMenuBar1 = nullptr;  // the window's own, destroyed with it
  Menu PopupMenu1;
  Menu PopupActionBarExTray;
  ImageLists images;
  std::unique_ptr<TCoolTrayIcon> CoolTrayIcon1;

  // Lifecycle.
  void FormCreate();
  void FormDestroy();
  void ReceiveHandOver(const COPYDATASTRUCT* data);
  static std::string GetUserFromWindows();
  void CoolTrayIcon1Click();

  // The command table's handlers: each forwards to the subsystem that carries it.
  void actSendExecute() { compose_->actSendExecute(); }
  void actNewExecute() { compose_->actNewExecute(); }
  void actSendTimerExecute() { compose_->actSendTimerExecute(); }
  bool actSendUpdate() { return compose_->actSendUpdate(); }
  void actClearLogExecute() { log_->actClearLogExecute(); }
  void actStartMessengerExecute() { service_.actStartMessengerExecute(); }
  void actStopMessengerExecute() { service_.actStopMessengerExecute(); }
  void actAddUserExecute() { addressBook_->actAddUserExecute(); }
  void actAddGroupExecute() { addressBook_->actAddGroupExecute(); }
  void actRemoveGroupExecute() { addressBook_->actRemoveGroupExecute(); }
  void actSortAddressesExecute() { addressBook_->actSortAddressesExecute(); }
  bool actAddUserUpdate() { return addressBook_->actAddUserUpdate(); }
  bool actRemoveGroupUpdate() { return addressBook_->actRemoveGroupUpdate(); }
  void actImportOxternExecute() { imports_->actImportOxternExecute(); }
  bool actImportOxternUpdate() { return imports_->actImportOxternUpdate(); }
  void actImportNetExecute() { imports_->actImportNetExecute(); }
  void actImportGroupNetExecute() { imports_->actImportGroupNetExecute(); }
  void actImportUserNetExecute() { imports_->actImportUserNetExecute(); }
  void actAboutExecute() { help_->actAboutExecute(); }
  void actHomeExecute() { help_->actHomeExecute(); }
  void actMailExecute() { help_->actMailExecute(); }
  void actHelpExecute() { help_->actHelpExecute(); }
  void actFAQExecute() { help_->actFAQExecute(); }
  void actWhatNewExecute() { help_->actWhatNewExecute(); }
  void actOptionsExecute() {
    if (ShowOptionsDialog(hwnd_, Values().WhatSend)) compose_->ApplySenderPolicy();
  }
  void actExitExecute();

  // Layout state the splitters change, in 96-DPI pixels.
  int TreeWidth() const { return treeWidth_; }
  int LogHeight() const { return logHeight_; }
  void SetTreeWidth(int width);
  void SetLogHeight(int height);

  // The DPI the window is laid out for.
  UINT Dpi() const { return dpi_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  // A command names itself.
  std::string Doing(UINT msg, WPARAM wp) const override;

 private:
  void CreateControls();
  void CreateMenus();
  // Font, images, toolbar, menus and the panes' own sizes for the window's DPI.
  void ApplyDpi();
  int S(int px96) const { return Scale(px96, dpi_); }
  void CreateTrayIcon();
  void LayoutControls();
  void ShowTreePopup(POINT screen);

  // Message handlers.
  void FormResize();
  void FormGetMinMaxInfo(MINMAXINFO* mm);
  void FormPaint();
  void FormCommand(WPARAM wp, LPARAM lp);
  LRESULT FormNotify(NMHDR* hdr);
  bool FormContextMenu(HWND from, POINT screen);
  void MeasureMenuImage(MEASUREITEMSTRUCT* mis);
  void DrawMenuImage(const DRAWITEMSTRUCT* dis);
  LRESULT ControlColor(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT ToolbarTip(NMTTDISPINFOW* info);
  LRESULT ToolbarCustomDraw(NMTBCUSTOMDRAW* draw);
  void FormDpiChanged(UINT dpi, const RECT& suggested);
  void FormClose();
  void FormSessionEnd();
  void FormDestroyed();
  // One step of the exit: its failure is shown and the next step runs all the same. At
  // the end of the user's session nothing is shown: the system is waiting.
  void ExitStep(const std::function<void()>& step);

  FormServices services_;
  std::string scannerFolder_;
  // Shared with the send jobs, which may outlive the window.
  std::shared_ptr<std::atomic<uint8_t>> sendInProgress_ = std::make_shared<std::atomic<uint8_t>>(0);
  UiThreadCall uiCall_;

  std::unique_ptr<TDeliveryLog> log_;
  std::unique_ptr<TSendJobs> jobs_;
  std::unique_ptr<TComposePane> compose_;
  std::unique_ptr<TAddressBookPane> addressBook_;
  std::unique_ptr<TImportCommands> imports_;
  std::unique_ptr<THelpCommands> help_;
  TServiceControl service_;

  Font font_;
  std::unique_ptr<TSplitter> splitter1_;  // above the log
  std::unique_ptr<TSplitter> splitter2_;  // right of the tree
  AcceleratorTable accelerators_;
  Brush barBrush_;
  UINT dpi_ = 96;
  int treeWidth_ = 161;
  int logHeight_ = 93;
  std::map<int, bool> shownEnabled_;
  bool quitOnDestroy_ = true;
  bool sessionEnding_ = false;
};

// Registers the main window class (once per process).
void RegisterMainWindowClass();

}  // namespace korvel
