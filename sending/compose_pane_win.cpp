// The compose controls of the main window: creation and layout, the sender history and
// the sender box's policy, Ctrl+Enter in the message text, and the compose commands.
#include "sending/compose_pane_win.h"

#include <commctrl.h>

#include <algorithm>

#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "base/text_win.h"
#include "base/window_win.h"
#include "res/resource.h"
#include "sending/compose.h"
#include "sending/param_send_dialog_win.h"

namespace korvel {

namespace {
constexpr int kPanel3Height = 65;
}  // namespace

TComposePane::TComposePane(HWND parent, const Settings& settings, TSendJobs& jobs, Wiring wiring)
    : owner_(parent), settings_(settings), jobs_(jobs), wiring_(std::move(wiring)) {
  labelRecipient_ = MakeChild(parent, L"STATIC", L"Получатель", 0, 0, IDC_LABEL_RECIPIENT);
  edRecipient = MakeChild(parent, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                          IDC_ED_RECIPIENT);
  labelSender_ = MakeChild(parent, L"STATIC", L"Отправитель", 0, 0, IDC_LABEL_SENDER);
  edSender = MakeChild(parent, L"COMBOBOX", L"",
                       WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, IDC_ED_SENDER);
  groupMessage_ =
      MakeChild(parent, L"BUTTON", L"Текст сообщения", BS_GROUPBOX, 0, IDC_GROUP_MESSAGE);
  // Without ES_AUTOVSCROLL the box refuses every line past its visible height.
  mMessage =
      MakeChild(parent, L"EDIT", L"", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL,
                WS_EX_CLIENTEDGE, IDC_M_MESSAGE);
  EditLimitText(mMessage, 0);
  SetWindowSubclass(mMessage, &TComposePane::MessageBoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
  // The frame stands behind the text box it holds; last in the z-order it paints first
  // and, being no Tab stop, leaves the Tab order as it is.
  SetWindowPos(groupMessage_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TComposePane::~TComposePane() {
  if (IsWindow(mMessage)) RemoveWindowSubclass(mMessage, &TComposePane::MessageBoxProc, 0);
}

void TComposePane::Place(HDWP& dwp, const RECT& area, UINT dpi) {
  auto s = [dpi](int px96) { return Scale(px96, dpi); };
  const int left = area.left, top = area.top;
  const int width = std::max(0, static_cast<int>(area.right - area.left));
  panel3_ = {left, top, left + width, top + s(kPanel3Height)};
  // Offsets from the panel's corner, in 96-DPI pixels.
  auto place = [&](HWND h, int x, int y, int w, int hgt) {
    dwp = DeferWindowPos(dwp, h, nullptr, left + s(x), top + s(y), std::max(0, s(w)),
                         std::max(0, s(hgt)), SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(labelRecipient_, 16, 10 + 3, 62, 13);
  place(edRecipient, 80, 8, 137, 21);
  place(labelSender_, 8, 36 + 3, 70, 13);
  place(edSender, 80, 32, 137, 200);
  const int groupTop = top + s(kPanel3Height);
  const int groupHeight = std::max(0, static_cast<int>(area.bottom) - groupTop);
  dwp = DeferWindowPos(dwp, groupMessage_, nullptr, left, groupTop, width, groupHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
  dwp = DeferWindowPos(dwp, mMessage, nullptr, left + s(2), groupTop + s(15),
                       std::max(0, width - s(4)), std::max(0, groupHeight - s(17)),
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

void TComposePane::PaintBevel(HDC dc) const {
  RECT r = panel3_;
  // A lowered outer and a raised inner ring.
  DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
}

void TComposePane::LoadSenderHistory(std::vector<std::string> names, const std::string& userName) {
  senderHistory_ = std::move(names);
  if (senderHistory_.empty()) senderHistory_.push_back(userName);
  ShowSenderHistory();
}

void TComposePane::ShowSenderHistory() {
  ComboFill(edSender, senderHistory_);
  ComboSelect(edSender, 0);
}

void TComposePane::ApplySenderPolicy() {
  bool enabled = settings_.WhatSend != 0;
  EnableWindow(edSender, enabled);
  senderColor_ = GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
  senderBrush_.Reset(CreateSolidBrush(senderColor_));
  InvalidateRect(edSender, nullptr, TRUE);
  jobs_.PolicyChanged();
}

HBRUSH TComposePane::ControlColor(HDC dc, HWND control) const {
  if (control != edSender && GetParent(control) != edSender) return nullptr;
  SetBkColor(dc, senderColor_);
  return senderBrush_;
}

void TComposePane::SetRecipients(const std::string& text) { SetWindowText1251(edRecipient, text); }

// The message text box: Tab moves on to the next control instead of typing a tab, and
// Ctrl+Enter sends; the key still reaches the box afterwards. Esc never reaches it: a
// multi-line edit driven by the dialog keys closes its parent on Esc, and its parent is
// the main window, which would go with the message typed.
LRESULT CALLBACK TComposePane::MessageBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                              DWORD_PTR self) {
  switch (msg) {
    case WM_GETDLGCODE:
      return MessageBoxKeys(DefSubclassProc(hwnd, msg, wp, lp), reinterpret_cast<const MSG*>(lp));
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) return 0;
      Guarded([&] { reinterpret_cast<TComposePane*>(self)->mMessageKeyDown(wp); },
              L"Отправка сообщения по Ctrl+Enter");
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &TComposePane::MessageBoxProc, 0);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT TComposePane::MessageBoxKeys(LRESULT wanted, const MSG* key) {
  if (key && key->message == WM_KEYDOWN && key->wParam == VK_TAB)
    wanted &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
  return wanted;
}

void TComposePane::mMessageKeyDown(WPARAM key) {
  auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
  bool ctrlOnly = down(VK_CONTROL) && !down(VK_SHIFT) && !down(VK_MENU) && !down(VK_LBUTTON) &&
                  !down(VK_RBUTTON) && !down(VK_MBUTTON);
  if (key == VK_RETURN && ctrlOnly) wiring_.executeCommand(ID_ACT_SEND);
}

void TComposePane::actSendExecute() {
  const std::string sender = AddToSenderList();
  jobs_.Start({sender, GetWindowText1251(edRecipient), MessageText(), 1, 0});
}

// The dialog is made anew each time, so it always opens with its own defaults.
void TComposePane::actSendTimerExecute() {
  ParamSendData params;
  if (!ShowParamSendDialog(owner_, params)) return;
  const std::string sender = AddToSenderList();
  jobs_.Start(
      {sender, GetWindowText1251(edRecipient), MessageText(), params.count, params.interval});
}

void TComposePane::actNewExecute() {
  SetWindowTextW(edRecipient, L"");
  SetWindowTextW(mMessage, L"");
}

bool TComposePane::actSendUpdate() const { return !jobs_.Running(); }

std::string TComposePane::AddToSenderList() {
  const std::string sender =
      korvel::AddToSenderList(senderHistory_, GetWindowText1251(edSender), settings_.MaxSender);
  ShowSenderHistory();
  // With no history left (MaxSender 0 or less), or the sender trimmed off it, the box
  // keeps the sender just used all the same.
  if (senderHistory_.empty() || senderHistory_.front() != sender)
    SetWindowText1251(edSender, sender);
  return sender;
}

// The lines are those the box reports, a wrapped line being one line as on screen; they
// are cut from the text by the box's own line starts and lengths, so no line is too long
// to fetch.
std::string TComposePane::MessageText() const {
  const int length = GetWindowTextLengthW(mMessage);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(mMessage, text.data(), length + 1)));
  const int count = EditLineCount(mMessage);
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    const int lineStart = EditLineStart(mMessage, i);
    const auto start = static_cast<size_t>(lineStart);
    const auto size = static_cast<size_t>(EditLineLength(mMessage, lineStart));
    lines.push_back(start <= text.size() ? Narrow(std::wstring_view(text).substr(start, size))
                                         : "");
  }
  return MessageFromLines(lines);
}

}  // namespace korvel
