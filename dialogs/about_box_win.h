// TAboutBox: a borderless picture with the program's version, its addresses and links.
// A click on the picture or on its top-right corner closes it; a link opens its address
// and leaves the box open; the plain texts do nothing.
#pragma once

#include <windows.h>

#include "base/dialog_win.h"
#include "base/handles_win.h"
#include "dialogs/help_commands_win.h"

namespace korvel {

class TAboutBox : public Dialog {
 public:
  explicit TAboutBox(DocumentShell& shell) : shell_(shell) {}

  // Shows the box over `owner` (the program's main window) until it is closed.
  void ShowModal(HWND owner);

  // The controls' click handlers.
  void Image1Click();  // the background
  void Image4Click();  // the top-right corner
  void Image3Click();  // the top-left corner and lHome: the product's page
  void lMailClick();
  void lForumClick();
  void Image2Click();  // the banner and Label7: the hosting company's site

 protected:
  bool OnInit() override;
  void OnClicked(int id) override;
  HBRUSH OnBackground(HDC dc) override;
  HBRUSH OnStaticColor(HDC dc, HWND control) override;
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;
  bool OnSetCursor(HWND control) override;
  void OnLeftButtonDown() override;
  void OnLeftButtonUp() override;
  void OnDpiChanged() override;

 private:
  void FreeDrawing();
  void FormCreate();
  void KeepOnScreen();
  void MakeFonts();
  void MakePictures();
  void FitTexts();
  bool IsLink(int id) const;
  bool HasHandCursor(HWND control) const;

  DocumentShell& shell_;
  HWND owner_ = nullptr;
  Font titleFont_;   // Label1
  Font linkFont_;    // the link labels
  Font creditFont_;  // Label2
  Bitmap background_;
  Brush backgroundBrush_;
  Bitmap banner_;
  bool pressed_ = false;  // the left button went down on the background
};

// The colour of the box's links: the system's hot-tracking colour, unless it is too
// light to read on the box's picture.
COLORREF LinkColour();

// A picture of the program's resources, kept there as PNG, decoded through WIC into a
// top-down 32-bit DIB section; nullptr when it cannot be.
HBITMAP LoadPngPicture(int id);

// Creates the about box, shows it modally over `owner` and destroys it.
void ShowAboutBox(HWND owner, DocumentShell& shell);

}  // namespace korvel
