// The typed control helpers: the only place the program sends these messages itself.
#include "base/controls_win.h"

#include "base/text_win.h"

namespace korvel {

HWND MakeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
               int id) {
  return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0,
                         0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void SetFont(HWND control, HFONT font, bool redraw) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

HFONT FontOf(HWND control) {
  return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

void SetFontOfChildren(HWND parent, HFONT font, bool redraw) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SetFont(child, font, redraw);
}

void SetRedraw(HWND control, bool redraw) {
  SendMessageW(control, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
}

RedrawPaused::RedrawPaused(HWND control) : control_(control) { SetRedraw(control_, false); }

RedrawPaused::~RedrawPaused() {
  SetRedraw(control_, true);
  RedrawWindow(control_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void ComboClear(HWND combo) { SendMessageW(combo, CB_RESETCONTENT, 0, 0); }

void ComboAdd(HWND combo, const std::string& text) {
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void ComboFill(HWND combo, const std::vector<std::string>& items) {
  ComboClear(combo);
  for (const std::string& item : items) ComboAdd(combo, item);
}

int ComboCount(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)); }

std::string ComboItem(HWND combo, int index) {
  const auto len = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0));
  if (len < 0) return {};
  std::wstring item(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
  item.resize(wcslen(item.c_str()));
  return Narrow(item);
}

int ComboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void ComboSelect(HWND combo, int index) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ComboExSetImages(HWND combo, HIMAGELIST images) {
  SendMessageW(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
}

void ComboExAdd(HWND combo, const std::string& text, int image) {
  std::wstring wide = Widen(text);
  COMBOBOXEXITEMW item{};
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
  item.iItem = -1;
  item.pszText = wide.data();
  item.iImage = item.iSelectedImage = image;
  SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void EditLimitText(HWND edit, int characters) {
  SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

int EditLineCount(HWND edit) { return static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0)); }

int EditLineStart(HWND edit, int line) {
  return static_cast<int>(SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

int EditLineLength(HWND edit, int start) {
  return static_cast<int>(SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
}

void ButtonSetStyle(HWND button, DWORD style) { SendMessageW(button, BM_SETSTYLE, style, TRUE); }

void UpDownSetRange(HWND updown, int low, int high) {
  SendMessageW(updown, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
}

void UpDownSetPosition(HWND updown, int position) {
  SendMessageW(updown, UDM_SETPOS32, 0, position);
}

int UpDownPosition(HWND updown) {
  return static_cast<int16_t>(LOWORD(SendMessageW(updown, UDM_GETPOS, 0, 0)));
}

void ToolbarInit(HWND toolbar, DWORD extendedStyle) {
  SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, extendedStyle);
}

void ToolbarAddButtons(HWND toolbar, const std::vector<TBBUTTON>& buttons) {
  SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

void ToolbarEnableButton(HWND toolbar, int command, bool enabled) {
  SendMessageW(toolbar, TB_ENABLEBUTTON, static_cast<WPARAM>(command),
               MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void ToolbarSetImages(HWND toolbar, HIMAGELIST normal, HIMAGELIST disabled, int size) {
  SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
  SendMessageW(toolbar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled));
  SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
}

void ToolbarSetButtonSize(HWND toolbar, int width, int height) {
  SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
}

void StatusSetParts(HWND status, const std::vector<int>& rightEdges) {
  SendMessageW(status, SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
}

void StatusSetOwnerDrawn(HWND status, int part) {
  SendMessageW(status, SB_SETTEXTW, static_cast<WPARAM>(part) | SBT_OWNERDRAW, 0);
}

void StatusFit(HWND status) { SendMessageW(status, WM_SIZE, 0, 0); }

void DialogSetDefaultButton(HWND dialog, int id) {
  SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

void DialogFocus(HWND dialog, HWND control) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

namespace {
TTTOOLINFOW WholeWindow(HWND window, const std::wstring& text) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = GetParent(window);
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  return tool;
}
}  // namespace

void TooltipAddWindow(HWND tip, HWND window, const std::wstring& text) {
  TTTOOLINFOW tool = WholeWindow(window, text);
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TooltipSetText(HWND tip, HWND window, const std::wstring& text) {
  TTTOOLINFOW tool = WholeWindow(window, text);
  SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TooltipSetMaxWidth(HWND tip, int width) { SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, width); }

void TooltipHide(HWND tip) { SendMessageW(tip, TTM_POP, 0, 0); }

void TooltipRelay(HWND tip, const MSG& mouse) {
  SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&mouse));
}

}  // namespace korvel
