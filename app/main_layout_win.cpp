// The main window's controls, menus and layout: toolbar and menu bar at the top, the
// address tree, the recipient/sender panel and the message frame in the work area, the
// log and the status bar at the bottom, two splitters between them. Every size is given
// in pixels at 96 DPI and scaled to the window's DPI, again when it changes.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/command_table_win.h"
#include "app/main_form_win.h"
#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "res/resource.h"

namespace korvel {

namespace {

// 96-DPI pixels.
constexpr int kToolbarHeight = 26;
constexpr int kSplitterSize = 3;
constexpr int kMinRegion = 30;  // no splitter squeezes a region below this
constexpr COLORREF kBarColour = RGB(226, 225, 219);

int HeightOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

}  // namespace

void TKorvelForm::CreateControls() {
  barBrush_.Reset(CreateSolidBrush(kBarColour));
  images.Load(dpi_);

  ActionToolBar1 = MakeChild(hwnd_, TOOLBARCLASSNAMEW, L"",
                             TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                 CCS_NODIVIDER | CCS_NOPARENTALIGN,
                             0, IDC_TOOLBAR);
  FillToolbar(ActionToolBar1);

  // Creation order is the Tab order: lvLog, edRecipient, edSender, mMessage, TreeAddresses.
  log_ = std::make_unique<TDeliveryLog>(hwnd_, images.ImageListLog, Values());
  jobs_ = std::make_unique<TSendJobs>(
      Values(), *log_, uiCall_, sendInProgress_,
      TSendJobs::Services{services_.newJobMessenger, services_.jobSystem});
  compose_ = std::make_unique<TComposePane>(
      hwnd_, Values(), *jobs_, TComposePane::Wiring{[this](int id) { ExecuteCommand(id); }});
  addressBook_ = std::make_unique<TAddressBookPane>(
      hwnd_, images.ImageListAdr,
      TAddressBookPane::Wiring{[this](const std::string& text) { compose_->SetRecipients(text); },
                               [this](POINT screen) { ShowTreePopup(screen); }});
  imports_ = std::make_unique<TImportCommands>(
      hwnd_, *addressBook_, scannerFolder_,
      ImportServices{services_.networkShell, services_.userEnumerator, services_.fileDialogs});
  help_ = std::make_unique<THelpCommands>(hwnd_, Values(), ExePath(), *services_.documentShell);

  splitter1_ = std::make_unique<TSplitter>(
      hwnd_, IDC_SPLITTER1, TSplitter::Kind::Horizontal, [this](int top) {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        SetLogHeight(Unscale(rc.bottom - HeightOf(StatusBar1) - top - S(kSplitterSize), dpi_));
      });
  splitter2_ = std::make_unique<TSplitter>(hwnd_, IDC_SPLITTER2, TSplitter::Kind::Vertical,
                                           [this](int left) { SetTreeWidth(Unscale(left, dpi_)); });
  StatusBar1 = MakeChild(hwnd_, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, IDC_STATUSBAR);
  StatusSetOwnerDrawn(StatusBar1, 0);

  ApplyDpi();
}

void TKorvelForm::ApplyDpi() {
  font_.Reset(CreateInterfaceFont(dpi_));
  SetFontOfChildren(hwnd_, font_, true);

  ToolbarSetImages(ActionToolBar1, images.ImageListToolBar, images.ImageListToolBarGrey,
                   images.size);
  ToolbarSetButtonSize(ActionToolBar1, S(23), S(22));
  log_->ApplyDpi(dpi_, images.ImageListLog);
  addressBook_->ApplyDpi(dpi_, images.ImageListAdr);
  StatusSetParts(StatusBar1, {S(20), S(70)});
  if (CoolTrayIcon1) CoolTrayIcon1->SetIconList(images.ImageListIcon);
  CreateMenus();
}

void TKorvelForm::FormDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetGeometryDpi(dpi);
  // The controls take the new lists before the old ones go.
  ImageLists old = std::move(images);
  images.Load(dpi_);
  ApplyDpi();
  old.Free();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutControls();
}

// Menus measure their images once: at another DPI they are built again.
void TKorvelForm::CreateMenus() {
  // The menus before go once the window and the tray icon hold the new ones.
  const Menu oldBar(ActionMainMenuBar1), oldTree(std::move(PopupMenu1)),
      oldTray(std::move(PopupActionBarExTray));
  ActionMainMenuBar1 = BuildMenu(MainMenuLayout(), false, true);
  MENUINFO mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIM_BACKGROUND;
  mi.hbrBack = barBrush_;
  SetMenuInfo(ActionMainMenuBar1, &mi);
  SetMenu(hwnd_, ActionMainMenuBar1);
  DrawMenuBar(hwnd_);
  PopupMenu1.Reset(BuildMenu(TreePopupLayout(), true, true));
  PopupActionBarExTray.Reset(BuildMenu(TrayPopupLayout(), true, true));
  if (CoolTrayIcon1) CoolTrayIcon1->SetPopupMenu(PopupActionBarExTray);
  if (!accelerators_) accelerators_.Reset(BuildAccelerators());
  shownEnabled_.clear();
  UpdateCommands();
}

void TKorvelForm::SetTreeWidth(int width) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int most = Unscale(rc.right, dpi_) - kSplitterSize - kMinRegion;
  treeWidth_ = std::max(kMinRegion, std::min(width, most));
  LayoutControls();
}

void TKorvelForm::SetLogHeight(int height) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int room = Unscale(rc.bottom - HeightOf(StatusBar1), dpi_) - kToolbarHeight - kSplitterSize;
  logHeight_ = std::max(kMinRegion, std::min(height, room - kMinRegion));
  LayoutControls();
}

void TKorvelForm::LayoutControls() {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int width = rc.right, height = rc.bottom;
  StatusFit(StatusBar1);
  const int statusHeight = HeightOf(StatusBar1);

  const int splitter = S(kSplitterSize), treeWidth = S(treeWidth_), logHeight = S(logHeight_);
  const int logTop = height - statusHeight - logHeight;
  const int workTop = S(kToolbarHeight), workBottom = logTop - splitter;
  const int workHeight = std::max(0, workBottom - workTop);
  const int panelLeft = treeWidth + splitter;

  HDWP dwp = BeginDeferWindowPos(14);
  auto place = [&](HWND h, int x, int y, int w, int hgt) {
    dwp = DeferWindowPos(dwp, h, nullptr, x, y, std::max(0, w), std::max(0, hgt),
                         SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(ActionToolBar1, 0, 0, width, S(kToolbarHeight));
  log_->Place(dwp, {0, logTop, width, logTop + logHeight});
  place(splitter1_->Handle(), 0, workBottom, width, splitter);
  place(addressBook_->TreeAddresses, 0, workTop, treeWidth, workHeight);
  place(splitter2_->Handle(), treeWidth, workTop, splitter, workHeight);
  compose_->Place(dwp, {panelLeft, workTop, std::max(panelLeft, width), workBottom}, dpi_);
  EndDeferWindowPos(dwp);
  log_->FitInformation();
  InvalidateRect(hwnd_, &compose_->PanelRect(), TRUE);
}

void TKorvelForm::ShowTreePopup(POINT screen) {
  UpdateCommands();
  TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_,
                 nullptr);
}

}  // namespace korvel
