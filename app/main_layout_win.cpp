// The main window's controls, image lists, menus and layout: toolbar and menu bar at
// the top, the address tree, the recipient/sender panel and the message frame in the
// work area, the log and the status bar at the bottom, two splitters between them.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "app/command_table_win.h"
#include "app/main_form_win.h"
#include "base/dpi_win.h"
#include "res/resource.h"

namespace korvel {

namespace {

constexpr int kToolbarHeight = 26;
constexpr int kSplitterSize = 3;
constexpr int kMinRegion = 30;  // no splitter squeezes a region below this
constexpr COLORREF kBarColour = RGB(226, 225, 219);

HWND MakeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
               int id) {
  return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0,
                         0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

int HeightOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

HIMAGELIST LoadStrip(int bitmapId, int count) {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 0);
  auto bmp = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId),
                                             IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (bmp) {
    ImageList_Add(list, bmp, nullptr);
    DeleteObject(bmp);
  }
  return list;
}

// A grey copy of a list, for the toolbar's disabled buttons.
HIMAGELIST GreyCopy(HIMAGELIST source) {
  int count = ImageList_GetImageCount(source);
  HIMAGELIST grey = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 0);
  for (int i = 0; i < count; ++i) {
    IMAGEINFO info{};
    ImageList_GetImageInfo(source, i, &info);
    DIBSECTION ds{};
    if (!GetObjectW(info.hbmImage, sizeof ds, &ds) || ds.dsBm.bmBitsPixel != 32) break;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* out = static_cast<BYTE*>(bits);
    auto* in = static_cast<const BYTE*>(ds.dsBm.bmBits);
    const int stride = ds.dsBm.bmWidthBytes;
    const bool bottomUp = ds.dsBmih.biHeight > 0;
    for (int y = 0; y < 16; ++y) {
      int srcRow = info.rcImage.top + y;
      if (bottomUp) srcRow = ds.dsBm.bmHeight - 1 - srcRow;
      const BYTE* s = in + srcRow * stride + info.rcImage.left * 4;
      BYTE* d = out + y * 16 * 4;
      for (int x = 0; x < 16; ++x, s += 4, d += 4) {
        BYTE lum = static_cast<BYTE>((s[2] * 30 + s[1] * 59 + s[0] * 11) / 100);
        BYTE light = static_cast<BYTE>(lum + (255 - lum) / 2);
        d[0] = d[1] = d[2] = s[3] ? light : 0;
        d[3] = s[3];
      }
    }
    ImageList_Add(grey, copy, nullptr);
    DeleteObject(copy);
  }
  return grey;
}

}  // namespace

void ImageLists::Load() {
  ImageListToolBar = LoadStrip(IDB_TOOLBAR, 21);
  ImageListAdr = LoadStrip(IDB_NODES, 4);
  ImageListLog = LoadStrip(IDB_LOG, 2);
  ImageListIcon = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
  auto icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KORVEL), IMAGE_ICON, 16, 16, 0));
  ImageList_AddIcon(ImageListIcon, icon);
  DestroyIcon(icon);
}

void ImageLists::Free() {
  for (HIMAGELIST* l : {&ImageListToolBar, &ImageListAdr, &ImageListLog, &ImageListIcon}) {
    if (*l) ImageList_Destroy(*l);
    *l = nullptr;
  }
}

void TKorvelForm::CreateControls() {
  images.Load();
  font_ = CreateInterfaceFont(DpiOf(hwnd_));
  barBrush_ = CreateSolidBrush(kBarColour);

  ActionToolBar1 =
      MakeChild(hwnd_, TOOLBARCLASSNAMEW, L"",
                TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                0, IDC_TOOLBAR);
  SendMessageW(ActionToolBar1, TB_SETIMAGELIST, 0,
               reinterpret_cast<LPARAM>(images.ImageListToolBar));
  toolbarGrey_ = GreyCopy(images.ImageListToolBar);
  SendMessageW(ActionToolBar1, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarGrey_));
  SendMessageW(ActionToolBar1, TB_SETBUTTONSIZE, 0, MAKELPARAM(23, 22));
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
  imports_ = std::make_unique<TImportCommands>(hwnd_, *addressBook_, scannerFolder_);
  help_ = std::make_unique<THelpCommands>(hwnd_, Values());

  splitter1_ = std::make_unique<TSplitter>(
      hwnd_, IDC_SPLITTER1, TSplitter::Kind::Horizontal, [this](int top) {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        SetLogHeight(rc.bottom - HeightOf(StatusBar1) - top - kSplitterSize);
      });
  splitter2_ = std::make_unique<TSplitter>(hwnd_, IDC_SPLITTER2, TSplitter::Kind::Vertical,
                                           [this](int left) { SetTreeWidth(left); });
  StatusBar1 = MakeChild(hwnd_, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, IDC_STATUSBAR);
  int parts[] = {20, 70};
  SendMessageW(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  SendMessageW(StatusBar1, SB_SETTEXTW, 0 | SBT_OWNERDRAW, 0);

  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  CreateMenus();
}

void TKorvelForm::CreateMenus() {
  ActionMainMenuBar1 = BuildMenu(MainMenuLayout(), false, true);
  MENUINFO mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIM_BACKGROUND;
  mi.hbrBack = barBrush_;
  SetMenuInfo(ActionMainMenuBar1, &mi);
  SetMenu(hwnd_, ActionMainMenuBar1);
  DrawMenuBar(hwnd_);
  PopupMenu1 = BuildMenu(TreePopupLayout(), true, true);
  PopupActionBarExTray = BuildMenu(TrayPopupLayout(), true, true);
  accelerators_ = BuildAccelerators();
}

void TKorvelForm::SetTreeWidth(int width) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  treeWidth_ = std::max(kMinRegion,
                        std::min(width, static_cast<int>(rc.right) - kSplitterSize - kMinRegion));
  LayoutControls();
}

void TKorvelForm::SetLogHeight(int height) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  int room = rc.bottom - kToolbarHeight - HeightOf(StatusBar1) - kSplitterSize;
  logHeight_ = std::max(kMinRegion, std::min(height, room - kMinRegion));
  LayoutControls();
}

void TKorvelForm::LayoutControls() {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int width = rc.right, height = rc.bottom;
  SendMessageW(StatusBar1, WM_SIZE, 0, 0);
  const int statusHeight = HeightOf(StatusBar1);

  const int logTop = height - statusHeight - logHeight_;
  const int workTop = kToolbarHeight, workBottom = logTop - kSplitterSize;
  const int workHeight = std::max(0, workBottom - workTop);
  const int panelLeft = treeWidth_ + kSplitterSize;

  HDWP dwp = BeginDeferWindowPos(14);
  auto place = [&](HWND h, int x, int y, int w, int hgt) {
    dwp = DeferWindowPos(dwp, h, nullptr, x, y, std::max(0, w), std::max(0, hgt),
                         SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(ActionToolBar1, 0, 0, width, kToolbarHeight);
  log_->Place(dwp, {0, logTop, width, logTop + logHeight_});
  place(splitter1_->Handle(), 0, workBottom, width, kSplitterSize);
  place(addressBook_->TreeAddresses, 0, workTop, treeWidth_, workHeight);
  place(splitter2_->Handle(), treeWidth_, workTop, kSplitterSize, workHeight);
  compose_->Place(dwp, {panelLeft, workTop, std::max(panelLeft, width), workBottom});
  EndDeferWindowPos(dwp);
  ListView_SetColumnWidth(log_->lvLog, 1, LVSCW_AUTOSIZE_USEHEADER);
  InvalidateRect(hwnd_, &compose_->PanelRect(), TRUE);
}

void TKorvelForm::ShowTreePopup(POINT screen) {
  UpdateCommands();
  TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_,
                 nullptr);
}

}  // namespace korvel
