// The command table: every command of the main window with its caption, hint, image
// and shortcut, and the menus, toolbar and pop-ups built from it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace korvel {

class TKorvelForm;

struct Command {
  int id;                   // command id from res/resource.h
  const wchar_t* name;      // "actSend"
  const wchar_t* category;  // "Message", "Address", "Help", "Дополнительно"
  const wchar_t* caption;
  const wchar_t* hint;  // nullptr: no hint
  int image;            // index into the toolbar image list, -1: none
  WORD shortcutKey;     // virtual key, 0: none
  BYTE shortcutFlags;   // FCONTROL and the like
  void (TKorvelForm::*execute)();
  bool (TKorvelForm::*update)();  // nullptr: always enabled
};

const std::vector<Command>& Commands();
const Command* FindCommand(int id);
// The text a toolbar button shows as its tooltip: the command's hint, "" when it has none.
const wchar_t* HintOf(int commandId);

// "Ctrl+O", "F1" or "".
std::wstring ShortcutText(const Command& c);

// One entry of a menu: a command (optionally with a caption of its own), a separator
// (command 0, no children) or a sub-menu (a caption and children).
struct MenuEntry {
  int command = 0;
  const wchar_t* caption = nullptr;
  std::vector<MenuEntry> children = {};
  bool showImage = true;
};

const std::vector<MenuEntry>& MainMenuLayout();
const std::vector<MenuEntry>& TreePopupLayout();
const std::vector<MenuEntry>& TrayPopupLayout();
const std::vector<int>& ToolbarLayout();  // command ids; 0 is a separator

// Builds a menu bar (`popup` false) or a pop-up menu from a layout. Each command item
// keeps its image index (-1: none) in its item data; with `withImages` the owner window
// draws that image through MenuImageMeasure and MenuImageDraw.
HMENU BuildMenu(const std::vector<MenuEntry>& layout, bool popup, bool withImages);
// `size` is the images' side, `gap` the room beside and before them, in pixels.
void MenuImageMeasure(MEASUREITEMSTRUCT* mis, int size, int gap);
void MenuImageDraw(const DRAWITEMSTRUCT* dis, HIMAGELIST normal, HIMAGELIST disabled, int size,
                   int gap);

HACCEL BuildAccelerators();

// Adds the toolbar's buttons, image only, with the command table's image indexes.
void FillToolbar(HWND toolbar);

}  // namespace korvel
