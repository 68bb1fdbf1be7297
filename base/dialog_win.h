// Base of the program's modal dialogs. A dialog's controls come from its DIALOGEX
// template (ids, classes, styles, texts); their places come from a layout table in
// pixels at 96 DPI, scaled to the dialog's DPI, so the dialog is exactly as designed at
// 100 % and sharp at any other scale. No exception leaves the dialog procedure.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "base/handles_win.h"

namespace korvel {

class Dialog {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog() = default;

  HWND Handle() const { return hwnd_; }

  // One control's place in the client area, in pixels at 96 DPI.
  struct Place {
    int id;
    int x, y, width, height;
  };

 protected:
  // Shows the dialog from template `templateId` modally over `owner` and returns the
  // result End was given: IDCANCEL when the user pressed Esc or closed it.
  INT_PTR RunModal(HWND owner, int templateId);

  // The hooks a dialog overrides for what it handles; the rest is the system's.
  //
  // WM_INITDIALOG: lay out and fill the controls. Returns whether the system should set
  // the focus (false when the dialog set it itself).
  virtual bool OnInit() { return true; }
  // Enter or the OK button; ends the dialog with IDOK.
  virtual void OnOK() { End(IDOK); }
  // Esc, the close box or the Cancel button; ends the dialog with IDCANCEL.
  virtual void OnCancel() { End(IDCANCEL); }
  // A click on button `id`, or on a static control that notifies.
  virtual void OnClicked(int /*id*/) {}
  // The text of edit box `id` has changed.
  virtual void OnEditChanged(int /*id*/) {}
  // Drawing of the dialog's own under its controls.
  virtual void OnPaint(HDC /*dc*/) {}
  // The dialog's background brush, or nullptr for the system's.
  virtual HBRUSH OnBackground(HDC /*dc*/) { return nullptr; }
  // A static control's colours set in `dc` and its brush, or nullptr for the system's.
  virtual HBRUSH OnStaticColor(HDC /*dc*/, HWND /*control*/) { return nullptr; }
  // An owner-drawn control to draw.
  virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}
  // The mouse is over `control` (or the dialog): true when the hook set the cursor.
  virtual bool OnSetCursor(HWND /*control*/) { return false; }
  // The left mouse button on the dialog's own surface, outside its controls.
  virtual void OnLeftButtonDown() {}
  virtual void OnLeftButtonUp() {}
  // The dialog was moved to a screen of another scale and laid out again for it.
  virtual void OnDpiChanged() {}

  void End(INT_PTR result);
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  UINT Dpi() const { return dpi_; }
  int Scale(int px96) const;

  // Gives the client area `width` × `height` (96-DPI pixels), puts every listed control
  // in its place, and gives every control the interface font for the dialog's DPI. On a
  // screen of another scale the same layout is made again.
  void Layout(int width, int height, std::span<const Place> places);
  // Centres the dialog on `window`.
  void CenterOn(HWND window);

  HWND hwnd_ = nullptr;

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp);
  void Command(int id, int notifyCode);

  void DpiChanged(UINT dpi, const RECT& suggested);

  UINT dpi_ = 96;
  Font font_;
  int layoutWidth_ = 0, layoutHeight_ = 0;
  std::vector<Place> layout_;
};

}  // namespace korvel
