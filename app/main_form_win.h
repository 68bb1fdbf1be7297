// TKorvelForm: the main window, its controls and command table, and its life from
// creation to exit.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <map>
#include <memory>
#include <string>

#include "app/cool_tray_icon_win.h"
#include "app/formini_win.h"
#include "app/splitter_win.h"

namespace korvel {

constexpr const wchar_t* kMainWindowClass = L"TKorvelForm";

// The form's image lists, all of 16 x 16 images.
struct ImageLists {
  HIMAGELIST ImageListToolBar = nullptr;  // 21 command images
  HIMAGELIST ImageListAdr = nullptr;      // 4 node kinds
  HIMAGELIST ImageListLog = nullptr;      // failure, success
  HIMAGELIST ImageListIcon = nullptr;     // the tray icon
  void Load();
  void Free();
};

class TKorvelForm : public TFormINI {
 public:
  explicit TKorvelForm(const std::string& exePath);
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

  // Controls.
  HWND ActionToolBar1 = nullptr;
  HWND StatusBar1 = nullptr;
  HWND TreeAddresses = nullptr;
  HWND edRecipient = nullptr;
  HWND edSender = nullptr;
  HWND mMessage = nullptr;
  HWND lvLog = nullptr;
  HMENU ActionMainMenuBar1 = nullptr;
  HMENU PopupMenu1 = nullptr;
  HMENU PopupActionBarExTray = nullptr;
  ImageLists images;

  std::unique_ptr<TCoolTrayIcon> CoolTrayIcon1;

  // Lifecycle.
  void FormCreate();
  void FormDestroy();
  void ReceiveHandOver(const COPYDATASTRUCT* data);
  static std::string GetUserFromWindows();
  void CoolTrayIcon1Click();
  void mMessageKeyDown(WPARAM key);

  // The address tree.
  void TreeAddressesClick();
  bool TreeAddressesEditing(HTREEITEM item);  // may the node's text be edited?

  // Commands.
  void actSendExecute();
  void actNewExecute();
  void actAboutExecute();
  void actHomeExecute();
  void actMailExecute();
  void actHelpExecute();
  void actFAQExecute();
  void actOptionsExecute();
  void actExitExecute();
  void actAddUserExecute();
  void actAddGroupExecute();
  void actRemoveGroupExecute();
  void actImportOxternExecute();
  void actImportNetExecute();
  void actImportGroupNetExecute();
  void actImportUserNetExecute();
  void actSendTimerExecute();
  void actStopMessengerExecute();
  void actStartMessengerExecute();
  void actSortAddressesExecute();
  void actWhatNewExecute();
  void actClearLogExecute();
  bool actSendUpdate();
  bool actAddUserUpdate();
  bool actRemoveGroupUpdate();
  bool actImportOxternUpdate();

  // The background colour of edSender: the window colour while it is enabled, the
  // button-face colour while it is disabled.
  COLORREF SenderColor() const { return senderColor_; }
  void ApplySenderPolicy();

  // Layout state the splitters change.
  int TreeWidth() const { return treeWidth_; }
  int LogHeight() const { return logHeight_; }
  void SetTreeWidth(int width);
  void SetLogHeight(int height);

  // The open-file dialog of the scanner import, configured once.
  OPENFILENAMEW& OpenDialogImport() { return openDialogImport_; }

  // The text a toolbar button shows as its tooltip.
  static const wchar_t* HintFor(int commandId);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  void CreateMenus();
  void LayoutControls();
  void PaintBevels();
  void ConfigureOpenDialogImport();
  void ShowTreePopup(POINT screen);
  LRESULT OnNotify(NMHDR* hdr);
  static LRESULT CALLBACK MessageBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR self);
  LRESULT ControlColor(HDC dc, HWND control, UINT msg, WPARAM wp, LPARAM lp);
  void CreateTrayIcon();
  void LoadAddressBook();
  void SaveAddressBook();

  // How much of the address book file the tree holds, which decides how it is saved.
  enum class AddressBookState { NotRead, ReadPartly, ReadWhole };
  AddressBookState addressBook_ = AddressBookState::NotRead;

  HFONT font_ = nullptr;
  HWND labelRecipient_ = nullptr;
  HWND labelSender_ = nullptr;
  HWND groupMessage_ = nullptr;
  std::unique_ptr<TSplitter> splitter1_;  // above the log
  std::unique_ptr<TSplitter> splitter2_;  // right of the tree
  HACCEL accelerators_ = nullptr;
  HBRUSH barBrush_ = nullptr;
  HIMAGELIST toolbarGrey_ = nullptr;
  COLORREF senderColor_ = 0;
  HBRUSH senderBrush_ = nullptr;
  int treeWidth_ = 161;
  int logHeight_ = 93;
  RECT panel3_{};
  std::map<int, bool> shownEnabled_;
  OPENFILENAMEW openDialogImport_{};
  wchar_t importFileName_[MAX_PATH] = {};
  bool quitOnDestroy_ = true;
};

// Registers the main window class (once per process).
void RegisterMainWindowClass();

}  // namespace korvel
