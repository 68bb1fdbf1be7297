#include "app/main_form_win.h"

#include <commctrl.h>

#include <vector>

#include "app/defaults_win.h"
#include "app/message_box_win.h"
#include "app/text_win.h"
#include "app/version_text.h"
#include "res/resource.h"

namespace korvel {

namespace {

constexpr int kToolbarHeight = 26;
constexpr int kStatusHeight = 21;
constexpr int kLogHeight = 93;
constexpr int kSplitterSize = 3;
constexpr int kTreeWidth = 161;
constexpr int kPanel3Height = 65;

HWND MakeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
               int id) {
  return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

void RegisterMainWindowClass() {
  static ATOM atom = 0;
  if (atom) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Window::StaticWndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(IDI_KORVEL));
  wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(IDI_KORVEL), IMAGE_ICON,
                                             16, 16, LR_DEFAULTCOLOR));
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
  if (font_) DeleteObject(font_);
  if (senderBrush_) DeleteObject(senderBrush_);
}

bool TKorvelForm::Create() {
  RegisterMainWindowClass();
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME |
                WS_CLIPCHILDREN;
  if (!CreateForm(kMainWindowClass, style, 0, WindowGeometry{}) || !hwnd_) return false;
  CreateControls();
  LayoutControls();
  Guarded([&] { FormCreate(); });
  return true;
}

void TKorvelForm::CreateControls() {
  font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
  // Creation order is the Tab order: lvLog, edRecipient, edSender, mMessage, TreeAddresses.
  lvLog = MakeChild(hwnd_, WC_LISTVIEWW, L"",
                    WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL, WS_EX_CLIENTEDGE,
                    IDC_LV_LOG);
  labelRecipient_ = MakeChild(hwnd_, L"STATIC", L"Получатель", 0, 0, IDC_LABEL_RECIPIENT);
  edRecipient = MakeChild(hwnd_, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                          IDC_ED_RECIPIENT);
  labelSender_ = MakeChild(hwnd_, L"STATIC", L"Отправитель", 0, 0, IDC_LABEL_SENDER);
  edSender = MakeChild(hwnd_, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                                                    CBS_AUTOHSCROLL, 0, IDC_ED_SENDER);
  groupMessage_ = MakeChild(hwnd_, L"BUTTON", L"Текст сообщения", BS_GROUPBOX, 0,
                            IDC_GROUP_MESSAGE);
  mMessage = MakeChild(hwnd_, L"EDIT", L"", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN, 0,
                       IDC_M_MESSAGE);
  TreeAddresses = MakeChild(hwnd_, WC_TREEVIEWW, L"",
                            WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                TVS_SHOWSELALWAYS | TVS_EDITLABELS | TVS_TRACKSELECT,
                            WS_EX_CLIENTEDGE, IDC_TREE_ADDRESSES);
  TreeView_SetIndent(TreeAddresses, 19);

  ListView_SetExtendedListViewStyle(lvLog, LVS_EX_FULLROWSELECT);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 150;
  col.pszText = const_cast<wchar_t*>(L"Дата");
  ListView_InsertColumn(lvLog, 0, &col);
  col.pszText = const_cast<wchar_t*>(L"Информация");
  ListView_InsertColumn(lvLog, 1, &col);

  // The frame stands behind the text box it holds; as the last window in the z-order it
  // paints first and is no Tab stop, so the Tab order above stays as it is.
  SetWindowPos(groupMessage_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void TKorvelForm::LayoutControls() {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int width = rc.right, height = rc.bottom;
  const int logTop = height - kStatusHeight - kLogHeight;
  const int workTop = kToolbarHeight, workBottom = logTop - kSplitterSize;
  const int workHeight = workBottom > workTop ? workBottom - workTop : 0;
  const int panelLeft = kTreeWidth + kSplitterSize;
  const int panelWidth = width > panelLeft ? width - panelLeft : 0;

  HDWP dwp = BeginDeferWindowPos(12);
  auto place = [&](HWND h, int x, int y, int w, int hgt) {
    dwp = DeferWindowPos(dwp, h, nullptr, x, y, w < 0 ? 0 : w, hgt < 0 ? 0 : hgt,
                         SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(lvLog, 0, logTop, width, kLogHeight);
  place(TreeAddresses, 0, workTop, kTreeWidth, workHeight);
  place(labelRecipient_, panelLeft + 16, workTop + 12, 62, 13);
  place(edRecipient, panelLeft + 80, workTop + 8, 137, 21);
  place(labelSender_, panelLeft + 8, workTop + 38, 70, 13);
  place(edSender, panelLeft + 80, workTop + 32, 137, 200);
  const int groupTop = workTop + kPanel3Height;
  place(groupMessage_, panelLeft, groupTop, panelWidth, workBottom - groupTop);
  place(mMessage, panelLeft + 2, groupTop + 15, panelWidth - 4, workBottom - groupTop - 17);
  EndDeferWindowPos(dwp);
  ListView_SetColumnWidth(lvLog, 1, LVSCW_AUTOSIZE_USEHEADER);
}

void TKorvelForm::FormCreate() {
  gApp.SendInProgress = 0;
  TreeView_DeleteAllItems(TreeAddresses);
  gApp.ScannerFolder =
      GetRegistryString(HKEY_LOCAL_MACHINE, LoadStr(IDS_MAKER_REGISTRY_KEY), LoadStr(IDS_SCANNER_VALUE));
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

// The address book joins the window's life here: loaded at creation, saved at exit.
void TKorvelForm::LoadAddressBook() {}
void TKorvelForm::SaveAddressBook() {}

LRESULT TKorvelForm::ControlColor(HDC dc, HWND control, UINT msg, WPARAM wp, LPARAM lp) {
  if (control == edSender || GetParent(control) == edSender) {
    SetBkColor(dc, senderColor_);
    return reinterpret_cast<LRESULT>(senderBrush_);
  }
  return Default(msg, wp, lp);
}

LRESULT TKorvelForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (TreeAddresses) LayoutControls();
      return 0;
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
