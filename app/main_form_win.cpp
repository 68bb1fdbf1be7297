// The main window's life: creation and FormCreate, the hand-over, the message loop with
// its command dispatch and idle updates, the window's messages, and the exit in its
// fixed order.
#include "app/main_form_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <exception>
#include <vector>

#include "app/command_table_win.h"
#include "base/controls_win.h"
#include "base/errors.h"
#include "base/message_box_win.h"
#include "base/registry_win.h"
#include "base/string_table.h"
#include "base/text.h"
#include "base/text_win.h"
#include "base/version_text.h"
#include "base/version_win.h"
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
  // The sizes the system asks for at its DPI; the icon holds 16, 24, 32 and 48.
  wc.hIcon = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(IDI_KORVEL), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                           LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(IDI_KORVEL), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainWindowClass;
  atom = RegisterClassExW(&wc);
}

TKorvelForm::TKorvelForm(const std::string& exePath, FormServices services)
    : TFormINI(exePath), services_(services), service_(*services_.serviceManager) {}

TKorvelForm::~TKorvelForm() {
  uiCall_.Close();
  if (hwnd_) {
    quitOnDestroy_ = false;
    DestroyWindow(hwnd_);
  }
}

bool TKorvelForm::Create() {
  RegisterMainWindowClass();
  // No WS_CLIPCHILDREN: the message frame does not paint its own inside, the window's
  // background under it does.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
  if (!CreateForm(kMainWindowClass, style, WS_EX_CONTROLPARENT, WindowGeometry{}) || !hwnd_)
    return false;
  dpi_ = DpiOf(hwnd_);
  SetGeometryDpi(dpi_);
  CreateControls();
  LayoutControls();
  CreateTrayIcon();
  Guarded([&] { FormCreate(); }, L"Запуск программы");
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
    for (HMENU m : {ActionMainMenuBar1, PopupMenu1.Get(), PopupActionBarExTray.Get()})
      if (m) EnableMenuItem(m, static_cast<UINT>(c.id), flags);
    ToolbarEnableButton(ActionToolBar1, c.id, enabled);
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

std::string TKorvelForm::Doing(UINT msg, WPARAM wp) const {
  const Command* c = msg == WM_COMMAND ? FindCommand(LOWORD(wp)) : nullptr;
  if (!c) return Window::Doing(msg, wp);
  return Narrow(std::wstring(L"Выполнение команды «") + c->caption + L"»");
}

void TKorvelForm::FormCreate() {
  *sendInProgress_ = 0;
  scannerFolder_ = GetRegistryString(HKEY_LOCAL_MACHINE, LoadStr(IDS_MAKER_REGISTRY_KEY),
                                     LoadStr(IDS_SCANNER_VALUE));
  // A book that cannot be read whole is reported once the window is complete: the sender
  // history, the title and the sender box's policy do not depend on it.
  std::exception_ptr bookError;
  try {
    addressBook_->LoadAddressBook(Values().RecipientFile);
  } catch (const KorvelError&) {
    bookError = std::current_exception();
  }
  compose_->LoadSenderHistory(ReadSenderHistory(Ini(), Values().MaxSender), GetUserFromWindows());
  SetApplicationTitle(
      TitleText(GetVersionText(false), LoadStr(IDS_MAKER_NAME), LoadStr(IDS_MAKER_HOST)));
  SetWindowText1251(hwnd_, ApplicationTitle());
  compose_->ApplySenderPolicy();
  if (bookError) std::rethrow_exception(bookError);
}

std::string TKorvelForm::GetUserFromWindows() {
  wchar_t buf[256];
  DWORD len = 255;
  if (!GetUserNameW(buf, &len) || len == 0) return LoadStr(IDS_UNKNOWN_USER);
  return Narrow(std::wstring_view(buf, len - 1));
}

void TKorvelForm::ReceiveHandOver(const COPYDATASTRUCT* data) {
  if (!data || !data->lpData || data->cbData == 0) return;
  compose_->SetRecipients(std::string(static_cast<const char*>(data->lpData), data->cbData));
}

void TKorvelForm::actExitExecute() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TKorvelForm::CreateTrayIcon() {
  // A restore from the tray shows the window in its stored state; a stored "minimised"
  // would send it straight back to the tray, so that one restores it normal.
  CoolTrayIcon1 = std::make_unique<TCoolTrayIcon>(
      hwnd_,
      [this](bool neverMinimized) {
        if (neverMinimized && ReadWindowState(Ini()) == 1)
          ShowWindow(hwnd_, SW_SHOWNORMAL);
        else
          ShowForm();
      },
      *services_.trayShell);
  CoolTrayIcon1->SetHint("Korvel");
  // The icon first, so that the shell is given the whole record when it is added.
  CoolTrayIcon1->SetIconList(images.ImageListIcon);
  CoolTrayIcon1->SetIconVisible(true);
  CoolTrayIcon1->SetPopupMenu(PopupActionBarExTray);
  CoolTrayIcon1->SetOnClick([this] { CoolTrayIcon1Click(); });
  CoolTrayIcon1->Loaded();
}

void TKorvelForm::CoolTrayIcon1Click() { CoolTrayIcon1->RestoreMainWindow(); }

void TKorvelForm::FormDestroy() {
  NoteWrite(WriteSenderHistory(Ini(), compose_->SenderHistory()));
  // A refused settings write never stops the address book from being saved.
  const std::string keptAs = addressBook_->SaveAddressBook(Values().RecipientFile);
  // Said once, when the copy is made; at the end of a session the system is waiting.
  if (!keptAs.empty() && !sessionEnding_)
    ShowMessage(
        Narrow(L"Адресная книга была прочитана не полностью. Её прежний файл сохранён как ") +
        Cp1251FromUtf8(keptAs));
}

void TKorvelForm::FormResize() {
  if (addressBook_) LayoutControls();
}

void TKorvelForm::FormGetMinMaxInfo(MINMAXINFO* mm) { mm->ptMinTrackSize = {S(320), S(320)}; }

void TKorvelForm::FormPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (compose_) compose_->PaintBevel(dc);
  EndPaint(hwnd_, &ps);
}

void TKorvelForm::FormCommand(WPARAM wp, LPARAM lp) {
  // Menus and accelerators send no control; the toolbar sends itself.
  if (lp == 0 || reinterpret_cast<HWND>(lp) == ActionToolBar1) ExecuteCommand(LOWORD(wp));
}

LRESULT TKorvelForm::FormNotify(NMHDR* hdr) {
  if (hdr->code == TTN_GETDISPINFOW) return ToolbarTip(reinterpret_cast<NMTTDISPINFOW*>(hdr));
  if (hdr->hwndFrom == ActionToolBar1 && hdr->code == NM_CUSTOMDRAW)
    return ToolbarCustomDraw(reinterpret_cast<NMTBCUSTOMDRAW*>(hdr));
  if (addressBook_ && hdr->hwndFrom == addressBook_->TreeAddresses)
    return addressBook_->OnNotify(hdr);
  if (log_ && hdr->hwndFrom == log_->lvLog) return log_->OnNotify(hdr);
  return 0;
}

LRESULT TKorvelForm::ToolbarTip(NMTTDISPINFOW* info) {
  info->lpszText = const_cast<wchar_t*>(HintOf(static_cast<int>(info->hdr.idFrom)));
  return 0;
}

LRESULT TKorvelForm::ToolbarCustomDraw(NMTBCUSTOMDRAW* draw) {
  if (draw->nmcd.dwDrawStage == CDDS_PREERASE || draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
    RECT r;
    GetClientRect(ActionToolBar1, &r);
    FillRect(draw->nmcd.hdc, &r, barBrush_);
  }
  return CDRF_DODEFAULT;
}

bool TKorvelForm::FormContextMenu(HWND from, POINT screen) {
  if (!addressBook_ || from != addressBook_->TreeAddresses) return false;
  addressBook_->OnContextMenu(screen);
  return true;
}

void TKorvelForm::MeasureMenuImage(MEASUREITEMSTRUCT* mis) {
  if (mis->CtlType == ODT_MENU) MenuImageMeasure(mis, images.size, S(4));
}

// Menu images; the status bar's owner-drawn first panel stays empty.
void TKorvelForm::DrawMenuImage(const DRAWITEMSTRUCT* dis) {
  if (dis->CtlType == ODT_MENU)
    MenuImageDraw(dis, images.ImageListToolBar, images.ImageListToolBarGrey, images.size, S(2));
}

LRESULT TKorvelForm::ControlColor(UINT msg, WPARAM wp, LPARAM lp) {
  HBRUSH brush = compose_
                     ? compose_->ControlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp))
                     : nullptr;
  return brush ? reinterpret_cast<LRESULT>(brush) : Default(msg, wp, lp);
}

void TKorvelForm::FormClose() {
  ShowWindow(hwnd_, SW_HIDE);
  DestroyWindow(hwnd_);
}

// The program lives in the tray, so a session usually ends with it running: it ends
// the way a close does, before the system ends the process.
void TKorvelForm::FormSessionEnd() {
  sessionEnding_ = true;
  FormClose();
}

void TKorvelForm::ExitStep(const std::function<void()>& step) {
  if (!sessionEnding_) {
    Guarded(step, L"Завершение работы программы");
    return;
  }
  try {
    step();
  } catch (...) {
  }
}

void TKorvelForm::FormDestroyed() {
  // Workers still handing over from here on are turned away, never waited for.
  uiCall_.Close();
  CoolTrayIcon1.reset();
  // Each step runs even when the one before it failed: nothing is lost for it.
  ExitStep([&] { FormDestroy(); });
  ExitStep([&] { WriteSettingsBack(); });
  addressBook_->Clear();
  if (!sessionEnding_) ReportRefusedWrites();
  if (quitOnDestroy_) PostQuitMessage(0);
}

LRESULT TKorvelForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_GETMINMAXINFO:
      FormGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
      return 0;
    case WM_PAINT:
      FormPaint();
      return 0;
    case WM_COMMAND:
      FormCommand(wp, lp);
      return 0;
    case WM_NOTIFY:
      return FormNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU:
      if (FormContextMenu(reinterpret_cast<HWND>(wp), {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}))
        return 0;
      return Default(msg, wp, lp);
    case WM_INITMENUPOPUP:
      UpdateCommands();
      return 0;
    case WM_MEASUREITEM:
      MeasureMenuImage(reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
      return TRUE;
    case WM_DRAWITEM:
      DrawMenuImage(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_COPYDATA:
      ReceiveHandOver(reinterpret_cast<const COPYDATASTRUCT*>(lp));
      return Default(msg, wp, lp);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      return ControlColor(msg, wp, lp);
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wp) FormSessionEnd();
      return 0;
    case WM_DPICHANGED:
      FormDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      FormDestroyed();
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace korvel
