// Typed helpers for the controls the program speaks to: one function per operation a
// control offers, so the message, its casts and its text conversion are written once.
// Texts are Windows-1251, as everywhere in the program.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace korvel {

// Creates a visible child control with id `id`; the layout gives it its place later.
HWND MakeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
               int id);

void SetFont(HWND control, HFONT font, bool redraw);
HFONT FontOf(HWND control);
// Gives every child of `parent` the font.
void SetFontOfChildren(HWND parent, HFONT font, bool redraw);
void SetRedraw(HWND control, bool redraw);

// A control drawn once, when a batch of changes is done, whatever happens on the way.
class RedrawPaused {
 public:
  explicit RedrawPaused(HWND control);
  ~RedrawPaused();
  RedrawPaused(const RedrawPaused&) = delete;
  RedrawPaused& operator=(const RedrawPaused&) = delete;

 private:
  HWND control_;
};

// A combo box.
void ComboClear(HWND combo);
void ComboAdd(HWND combo, const std::string& text);
// Replaces the items with `items`.
void ComboFill(HWND combo, const std::vector<std::string>& items);
int ComboCount(HWND combo);
std::string ComboItem(HWND combo, int index);
int ComboSelection(HWND combo);
// -1 selects nothing.
void ComboSelect(HWND combo, int index);
// An extended combo box.
void ComboExSetImages(HWND combo, HIMAGELIST images);
void ComboExAdd(HWND combo, const std::string& text, int image);

// An edit box.
void EditLimitText(HWND edit, int characters);
int EditLineCount(HWND edit);
// The character index where line `line` starts.
int EditLineStart(HWND edit, int line);
// The length of the line holding character `start`.
int EditLineLength(HWND edit, int start);

// A push button's look (BS_PUSHBUTTON or BS_DEFPUSHBUTTON).
void ButtonSetStyle(HWND button, DWORD style);

// An up-down control.
void UpDownSetRange(HWND updown, int low, int high);
void UpDownSetPosition(HWND updown, int position);
// The position as the control reports it in 16 bits, sign kept.
int UpDownPosition(HWND updown);

// A toolbar.
void ToolbarInit(HWND toolbar, DWORD extendedStyle);
void ToolbarAddButtons(HWND toolbar, const std::vector<TBBUTTON>& buttons);
void ToolbarEnableButton(HWND toolbar, int command, bool enabled);
void ToolbarSetImages(HWND toolbar, HIMAGELIST normal, HIMAGELIST disabled, int size);
void ToolbarSetButtonSize(HWND toolbar, int width, int height);

// A status bar.
void StatusSetParts(HWND status, const std::vector<int>& rightEdges);
void StatusSetOwnerDrawn(HWND status, int part);
// Fits the bar to its parent's bottom edge.
void StatusFit(HWND status);

// A tooltip with one tool, the whole of the child window `window`. Its texts come as UTF-16:
// a tip shows what the program composes, not what it stores.
void TooltipAddWindow(HWND tip, HWND window, const std::wstring& text);
void TooltipSetText(HWND tip, HWND window, const std::wstring& text);
void TooltipSetMaxWidth(HWND tip, int width);
void TooltipHide(HWND tip);
// Passes a mouse message of the tool's window on, so the tip knows where the mouse rests.
void TooltipRelay(HWND tip, const MSG& mouse);

// A dialog's default button and its focus, as the dialog manager moves them.
void DialogSetDefaultButton(HWND dialog, int id);
void DialogFocus(HWND dialog, HWND control);

}  // namespace korvel
