// The main window's life: creation and FormCreate, the hand-over, the message loop with
// its command dispatch and idle updates, and the exit in its fixed order.
#include "app/main_form_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "app/command_table_win.h"
#include "app/defaults_win.h"
#include "app/message_box_win.h"
#include "app/text_win.h"
#include "app/version_text.h"
#include "res/resource.h"

namespace korvel {

void RegisterMainWindowClass() {
  static ATOM atom = 0;
  if (atom) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Window::StaticWndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(IDI_KORVEL));
  wc.hIconSm = static_cast<HICON>(
      LoadImageW(wc.hInstance, MAKEINTRESOURCEW(IDI_KORVEL), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainWindowClass;
  atom = RegisterClassExW(&wc);
}

TKorvelForm::TKorvelForm(const std::string& exePath) : TFormINI(exePath) {}

TKorvelForm::~TKorvelForm() {
  if (hwnd_) {
    quitOnDestroy_ = false;
    DestroyWindow(hwnd_);
  }
  if (PopupMenu1) DestroyMenu(PopupMenu1);
  if (PopupActionBarExTray) DestroyMenu(PopupActionBarExTray);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (toolbarGrey_) ImageList_Destroy(toolbarGrey_);
  images.Free();
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(senderBrush_),
                    static_cast<HGDIOBJ>(barBrush_)})
    if (o) DeleteObject(o);
}

bool TKorvelForm::Create() {
  RegisterMainWindowClass();
  // No WS_CLIPCHILDREN: the message frame does not paint its own inside, the window's
  // background under it does.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
  if (!CreateForm(kMainWindowClass, style, WS_EX_CONTROLPARENT, WindowGeometry{}) || !hwnd_)
    return false;
  CreateControls();
  LayoutControls();
  CreateTrayIcon();
  Guarded([&] { FormCreate(); });
  UpdateCommands();
  return true;
}

int TKorvelForm::Run() {
  MSG msg;
  for (;;) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // The queue is empty: the program is idle.
      if (hwnd_) UpdateCommands();
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) break;
    if (hwnd_ &&
        (TranslateAcceleratorW(hwnd_, accelerators_, &msg) || IsDialogMessageW(hwnd_, &msg)))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void TKorvelForm::UpdateCommands() {
  for (const Command& c : Commands()) {
    bool enabled = c.update ? (this->*c.update)() : true;
    auto it = shownEnabled_.find(c.id);
    if (it != shownEnabled_.end() && it->second == enabled) continue;
    shownEnabled_[c.id] = enabled;
    UINT flags = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
    for (HMENU m : {ActionMainMenuBar1, PopupMenu1, PopupActionBarExTray})
      if (m) EnableMenuItem(m, static_cast<UINT>(c.id), flags);
    SendMessageW(ActionToolBar1, TB_ENABLEBUTTON, c.id, MAKELPARAM(enabled ? TRUE : FALSE, 0));
  }
}

bool TKorvelForm::CommandEnabled(int id) const {
  auto it = shownEnabled_.find(id);
  return it == shownEnabled_.end() || it->second;
}

void TKorvelForm::ExecuteCommand(int id) {
  const Command* c = FindCommand(id);
  if (!c) return;
  if (c->update && !(this->*c->update)()) return;
  (this->*c->execute)();
}

const wchar_t* TKorvelForm::HintFor(int commandId) {
  const Command* c = FindCommand(commandId);
  return c && c->hint ? c->hint : L"";
}

void TKorvelForm::FormCreate() {
  gApp.SendInProgress = 0;
  TreeView_DeleteAllItems(TreeAddresses);
  gApp.ScannerFolder = GetRegistryString(HKEY_LOCAL_MACHINE, LoadStr(IDS_MAKER_REGISTRY_KEY),
                                         LoadStr(IDS_SCANNER_VALUE));
  LoadAddressBook();

  SendMessageW(edSender, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : ReadSenderHistory(Ini(), gApp.MaxSender))
    SendMessageW(edSender, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(name).c_str()));
  if (SendMessageW(edSender, CB_GETCOUNT, 0, 0) == 0)
    SendMessageW(edSender, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Widen(GetUserFromWindows()).c_str()));
  SendMessageW(edSender, CB_SETCURSEL, 0, 0);

  SetApplicationTitle(
      TitleText(GetVersionText(false), LoadStr(IDS_MAKER_NAME), LoadStr(IDS_MAKER_HOST)));
  SetWindowText1251(hwnd_, ApplicationTitle());

  ApplySenderPolicy();
}

void TKorvelForm::ApplySenderPolicy() {
  bool enabled = gApp.WhatSend != 0;
  EnableWindow(edSender, enabled);
  senderColor_ = GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
  if (senderBrush_) DeleteObject(senderBrush_);
  senderBrush_ = CreateSolidBrush(senderColor_);
  InvalidateRect(edSender, nullptr, TRUE);
}

std::string TKorvelForm::GetUserFromWindows() {
  wchar_t buf[256];
  DWORD len = 255;
  if (!GetUserNameW(buf, &len) || len == 0) return LoadStr(IDS_UNKNOWN_USER);
  return Narrow(std::wstring_view(buf, len - 1));
}

void TKorvelForm::ReceiveHandOver(const COPYDATASTRUCT* data) {
  if (!data || !data->lpData || data->cbData == 0) return;
  std::string text(static_cast<const char*>(data->lpData), data->cbData);
  SetWindowText1251(edRecipient, text);
}

void TKorvelForm::actExitExecute() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TKorvelForm::CreateTrayIcon() {
  // A restore from the tray shows the window in its stored state; a stored "minimised"
  // would send it straight back to the tray, so that one restores it normal.
  CoolTrayIcon1 = std::make_unique<TCoolTrayIcon>(hwnd_, [this](bool neverMinimized) {
    if (neverMinimized && ReadWindowState(Ini()) == 1)
      ShowWindow(hwnd_, SW_SHOWNORMAL);
    else
      ShowForm();
  });
  CoolTrayIcon1->SetHint("Korvel");
  CoolTrayIcon1->SetIconVisible(true);
  CoolTrayIcon1->SetIconList(images.ImageListIcon);
  CoolTrayIcon1->SetPopupMenu(PopupActionBarExTray);
  CoolTrayIcon1->SetOnClick([this] { CoolTrayIcon1Click(); });
  CoolTrayIcon1->Loaded();
}

// The message text box: Tab moves on to the next control instead of typing a tab, and
// Ctrl+Enter sends; the key still reaches the box afterwards.
LRESULT CALLBACK TKorvelForm::MessageBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                             DWORD_PTR self) {
  if (msg == WM_GETDLGCODE) {
    LRESULT code = DefSubclassProc(hwnd, msg, wp, lp);
    auto* key = reinterpret_cast<const MSG*>(lp);
    if (key && key->message == WM_KEYDOWN && key->wParam == VK_TAB)
      code &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    return code;
  }
  if (msg == WM_KEYDOWN)
    Guarded([&] { reinterpret_cast<TKorvelForm*>(self)->mMessageKeyDown(wp); });
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &TKorvelForm::MessageBoxProc, 0);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void TKorvelForm::mMessageKeyDown(WPARAM key) {
  bool ctrlOnly = (GetKeyState(VK_CONTROL) & 0x8000) && !(GetKeyState(VK_SHIFT) & 0x8000) &&
                  !(GetKeyState(VK_MENU) & 0x8000) && !(GetKeyState(VK_LBUTTON) & 0x8000) &&
                  !(GetKeyState(VK_RBUTTON) & 0x8000) && !(GetKeyState(VK_MBUTTON) & 0x8000);
  if (key == VK_RETURN && ctrlOnly) ExecuteCommand(ID_ACT_SEND);
}

void TKorvelForm::CoolTrayIcon1Click() { CoolTrayIcon1->RestoreMainWindow(); }

void TKorvelForm::FormDestroy() {
  std::vector<std::string> names;
  int count = static_cast<int>(SendMessageW(edSender, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int len = static_cast<int>(SendMessageW(edSender, CB_GETLBTEXTLEN, i, 0));
    std::wstring item(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
    SendMessageW(edSender, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(wcslen(item.c_str()));
    names.push_back(Narrow(item));
  }
  NoteWrite(WriteSenderHistory(Ini(), names));
  // A refused settings write never stops the address book from being saved.
  SaveAddressBook();
}

// Commands whose behaviour has not been built yet do nothing.
void TKorvelForm::actSendExecute() {}
void TKorvelForm::actNewExecute() {}
void TKorvelForm::actAboutExecute() {}
void TKorvelForm::actHomeExecute() {}
void TKorvelForm::actMailExecute() {}
void TKorvelForm::actHelpExecute() {}
void TKorvelForm::actFAQExecute() {}
void TKorvelForm::actOptionsExecute() {}
void TKorvelForm::actImportOxternExecute() {}
void TKorvelForm::actImportNetExecute() {}
void TKorvelForm::actImportGroupNetExecute() {}
void TKorvelForm::actImportUserNetExecute() {}
void TKorvelForm::actSendTimerExecute() {}
void TKorvelForm::actStopMessengerExecute() {}
void TKorvelForm::actStartMessengerExecute() {}
void TKorvelForm::actWhatNewExecute() {}
void TKorvelForm::actClearLogExecute() {}

bool TKorvelForm::actSendUpdate() { return gApp.SendInProgress == 0; }
bool TKorvelForm::actImportOxternUpdate() { return !gApp.ScannerFolder.empty(); }

LRESULT TKorvelForm::ControlColor(HDC dc, HWND control, UINT msg, WPARAM wp, LPARAM lp) {
  if (control == edSender || GetParent(control) == edSender) {
    SetBkColor(dc, senderColor_);
    return reinterpret_cast<LRESULT>(senderBrush_);
  }
  return Default(msg, wp, lp);
}

LRESULT TKorvelForm::OnNotify(NMHDR* hdr) {
  if (hdr->code == TTN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
    info->lpszText = const_cast<wchar_t*>(HintFor(static_cast<int>(hdr->idFrom)));
    return 0;
  }
  if (hdr->hwndFrom == ActionToolBar1 && hdr->code == NM_CUSTOMDRAW) {
    auto* cd = reinterpret_cast<NMTBCUSTOMDRAW*>(hdr);
    if (cd->nmcd.dwDrawStage == CDDS_PREERASE || cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
      RECT r;
      GetClientRect(ActionToolBar1, &r);
      FillRect(cd->nmcd.hdc, &r, barBrush_);
    }
    return CDRF_DODEFAULT;
  }
  if (hdr->hwndFrom == TreeAddresses && hdr->code == NM_CLICK) {
    // The click notification may come before the tree moves its selection: select the
    // node under the click first, so the click always speaks of the node clicked.
    TVHITTESTINFO hit{};
    DWORD at = GetMessagePos();
    hit.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ScreenToClient(TreeAddresses, &hit.pt);
    HTREEITEM item = TreeView_HitTest(TreeAddresses, &hit);
    if (item && (hit.flags & TVHT_ONITEM)) TreeView_SelectItem(TreeAddresses, item);
    TreeAddressesClick();
    return 0;
  }
  if (hdr->hwndFrom == TreeAddresses && hdr->code == TVN_BEGINLABELEDITW)
    return !TreeAddressesEditing(reinterpret_cast<NMTVDISPINFOW*>(hdr)->item.hItem);
  if (hdr->hwndFrom == TreeAddresses && hdr->code == TVN_ENDLABELEDITW)
    return reinterpret_cast<NMTVDISPINFOW*>(hdr)->item.pszText != nullptr;
  if (hdr->hwndFrom == TreeAddresses && hdr->code == NM_RCLICK) {
    // A right click selects the node under the pointer before the pop-up opens.
    DWORD at = GetMessagePos();
    POINT screen{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(TreeAddresses, &hit.pt);
    if (HTREEITEM item = TreeView_HitTest(TreeAddresses, &hit))
      TreeView_SelectItem(TreeAddresses, item);
    ShowTreePopup(screen);
    return TRUE;
  }
  return 0;
}

LRESULT TKorvelForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (TreeAddresses) LayoutControls();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      mm->ptMinTrackSize = {320, 320};
      return 0;
    }
    case WM_PAINT:
      PaintBevels();
      return 0;
    case WM_COMMAND:
      if (lp == 0 || reinterpret_cast<HWND>(lp) == ActionToolBar1) ExecuteCommand(LOWORD(wp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == TreeAddresses) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (p.x == -1 && p.y == -1) {  // from the keyboard: at the selected node
          RECT r{};
          if (HTREEITEM sel = TreeView_GetSelection(TreeAddresses))
            TreeView_GetItemRect(TreeAddresses, sel, &r, TRUE);
          p = {r.left, r.bottom};
          ClientToScreen(TreeAddresses, &p);
        }
        ShowTreePopup(p);
        return 0;
      }
      return Default(msg, wp, lp);
    case WM_INITMENUPOPUP:
      UpdateCommands();
      return 0;
    case WM_MEASUREITEM:
      if (reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->CtlType == ODT_MENU)
        MenuImageMeasure(reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
      return TRUE;
    case WM_DRAWITEM:
      // Menu images; the status bar's owner-drawn first panel stays empty.
      if (reinterpret_cast<DRAWITEMSTRUCT*>(lp)->CtlType == ODT_MENU)
        MenuImageDraw(reinterpret_cast<DRAWITEMSTRUCT*>(lp), images.ImageListToolBar, toolbarGrey_);
      return TRUE;
    case WM_COPYDATA:
      ReceiveHandOver(reinterpret_cast<const COPYDATASTRUCT*>(lp));
      return Default(msg, wp, lp);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      return ControlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg, wp, lp);
    case WM_CLOSE:
      ShowWindow(hwnd_, SW_HIDE);
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      CoolTrayIcon1.reset();
      // Each step runs even when the one before it failed: nothing is lost for it.
      Guarded([&] { FormDestroy(); });
      Guarded([&] { WriteSettingsBack(); });
      ReportRefusedWrites();
      if (quitOnDestroy_) PostQuitMessage(0);
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace korvel
