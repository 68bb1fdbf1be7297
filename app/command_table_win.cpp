#include "app/command_table_win.h"

#include "app/main_form_win.h"
#include "base/controls_win.h"
#include "res/resource.h"

namespace korvel {

namespace {
using F = TKorvelForm;
}  // namespace

const std::vector<Command>& Commands() {
  static const std::vector<Command> table = {
      {ID_ACT_SEND, L"actSend", L"Message", L"Отправить сообщение", L"Отправить сообщение", 1, 0, 0,
       &F::actSendExecute, &F::actSendUpdate},
      {ID_ACT_NEW, L"actNew", L"Message", L"Новое", L"Новое сообщение", 0, 0, 0, &F::actNewExecute,
       &F::actSendUpdate},
      {ID_ACT_ABOUT, L"actAbout", L"Help", L"О программе...", L"О программе...", 3, 0, 0,
       &F::actAboutExecute, nullptr},
      {ID_ACT_HOME, L"actHome", L"Help", L"Открыть Web страницу Korvel",
       L"Открыть Web страницу Korvel", 5, 0, 0, &F::actHomeExecute, nullptr},
      {ID_ACT_MAIL, L"actMail", L"Help", L"Написать письмо автору", L"Написать письмо автору", 6, 0,
       0, &F::actMailExecute, nullptr},
      {ID_ACT_HELP, L"actHelp", L"Help", L"Руководство пользователя", L"Руководство пользователя",
       7, VK_F1, 0, &F::actHelpExecute, nullptr},
      {ID_ACT_FAQ, L"actFAQ", L"Help", L"FAQ", nullptr, 20, 0, 0, &F::actFAQExecute, nullptr},
      {ID_ACT_OPTIONS, L"actOptions", L"Message", L"Настройки", L"Настройки программы", 4, 'O',
       FCONTROL, &F::actOptionsExecute, nullptr},
      {ID_ACT_EXIT, L"actExit", L"Message", L"Выход", L"Выход из программы", -1, 0, 0,
       &F::actExitExecute, nullptr},
      {ID_ACT_ADD_USER, L"actAddUser", L"Address", L"Добавить адрес", L"Добавить адрес", 11, 0, 0,
       &F::actAddUserExecute, &F::actAddUserUpdate},
      {ID_ACT_ADD_GROUP, L"actAddGroup", L"Address", L"Создать группу адресов", L"Добавить группу",
       9, 0, 0, &F::actAddGroupExecute, nullptr},
      {ID_ACT_REMOVE_GROUP, L"actRemoveGroup", L"Address", L"Удалить", L"Удалить", 10, 0, 0,
       &F::actRemoveGroupExecute, &F::actRemoveGroupUpdate},
      {ID_ACT_IMPORT_OXTERN, L"actImportOxtern", L"Address", L"из Oxtern",
       L"Импортировать из Oxtern", 18, 0, 0, &F::actImportOxternExecute, &F::actImportOxternUpdate},
      {ID_ACT_IMPORT_NET, L"actImportNet", L"Address", L"компьютер из сети", nullptr, 17, 0, 0,
       &F::actImportNetExecute, nullptr},
      {ID_ACT_IMPORT_GROUP_NET, L"actImportGroupNet", L"Address", L"группу компьютеров из сети",
       nullptr, 15, 0, 0, &F::actImportGroupNetExecute, nullptr},
      {ID_ACT_IMPORT_USER_NET, L"actImportUserNet", L"Address", L"пользователей с сервера", nullptr,
       16, 0, 0, &F::actImportUserNetExecute, nullptr},
      {ID_ACT_SEND_TIMER, L"actSendTimer", L"Message", L"Отправить многократно",
       L"Отправить многократно", 19, 0, 0, &F::actSendTimerExecute, &F::actSendUpdate},
      {ID_ACT_STOP_MESSENGER, L"actStopMessenger", L"Дополнительно", L"Остановить службу сообщений",
       nullptr, -1, 0, 0, &F::actStopMessengerExecute, nullptr},
      {ID_ACT_START_MESSENGER, L"actStartMessenger", L"Дополнительно",
       L"Запустить службу сообщений", nullptr, -1, 0, 0, &F::actStartMessengerExecute, nullptr},
      {ID_ACT_SORT_ADDRESSES, L"actSortAddresses", L"Дополнительно", L"Сортировать адреса", nullptr,
       -1, 0, 0, &F::actSortAddressesExecute, nullptr},
      {ID_ACT_WHAT_NEW, L"actWhatNew", L"Help", L"Что нового?", L"Что нового?", -1, 0, 0,
       &F::actWhatNewExecute, nullptr},
      {ID_ACT_CLEAR_LOG, L"actClearLog", L"Дополнительно", L"Очистить историю", nullptr, -1, 0, 0,
       &F::actClearLogExecute, nullptr},
  };
  return table;
}

const Command* FindCommand(int id) {
  for (const Command& c : Commands())
    if (c.id == id) return &c;
  return nullptr;
}

const wchar_t* HintOf(int commandId) {
  const Command* c = FindCommand(commandId);
  return c && c->hint ? c->hint : L"";
}

std::wstring ShortcutText(const Command& c) {
  if (!c.shortcutKey) return {};
  std::wstring text;
  if (c.shortcutFlags & FCONTROL) text += L"Ctrl+";
  if (c.shortcutFlags & FSHIFT) text += L"Shift+";
  if (c.shortcutFlags & FALT) text += L"Alt+";
  if (c.shortcutKey >= VK_F1 && c.shortcutKey <= VK_F24)
    text += L"F" + std::to_wstring(c.shortcutKey - VK_F1 + 1);
  else
    text += static_cast<wchar_t>(c.shortcutKey);
  return text;
}

const std::vector<MenuEntry>& MainMenuLayout() {
  static const std::vector<MenuEntry> layout = {
      {0,
       L"&Сообщение",
       {
           {ID_ACT_NEW},
           {ID_ACT_SEND},
           {ID_ACT_SEND_TIMER},
           {0,
            L"Импортировать",
            {
                {ID_ACT_IMPORT_OXTERN, L"из &Oxtern"},
                {ID_ACT_IMPORT_NET},
                {ID_ACT_IMPORT_GROUP_NET},
                {ID_ACT_IMPORT_USER_NET},
            }},
           {},
           {ID_ACT_OPTIONS},
           {},
           {ID_ACT_EXIT},
       }},
      {0,
       L"Дополнительно",
       {
           {ID_ACT_START_MESSENGER},
           {ID_ACT_STOP_MESSENGER},
           {},
           {ID_ACT_CLEAR_LOG},
           {ID_ACT_SORT_ADDRESSES},
       }},
      {0,
       L"&Помощь",
       {
           {ID_ACT_HELP},
           {ID_ACT_FAQ, L"&FAQ", {}, false},
           {ID_ACT_WHAT_NEW},
           {ID_ACT_HOME, L"Открыть &Web страницу Korvel"},
           {ID_ACT_MAIL},
           {},
           {ID_ACT_ABOUT},
       }},
  };
  return layout;
}

const std::vector<MenuEntry>& TreePopupLayout() {
  static const std::vector<MenuEntry> layout = {
      {ID_ACT_ADD_USER},
      {ID_ACT_ADD_GROUP},
      {ID_ACT_REMOVE_GROUP},
      {},
      {0,
       L"Импортировать адреса",
       {
           {ID_ACT_IMPORT_OXTERN},
           {ID_ACT_IMPORT_NET},
           {ID_ACT_IMPORT_GROUP_NET},
       }},
      {},
      {ID_ACT_SORT_ADDRESSES},
  };
  return layout;
}

const std::vector<MenuEntry>& TrayPopupLayout() {
  static const std::vector<MenuEntry> layout = {
      {ID_ACT_STOP_MESSENGER}, {ID_ACT_START_MESSENGER}, {}, {ID_ACT_ABOUT}, {}, {ID_ACT_EXIT},
  };
  return layout;
}

const std::vector<int>& ToolbarLayout() {
  static const std::vector<int> layout = {ID_ACT_NEW,  ID_ACT_SEND,    ID_ACT_SEND_TIMER,
                                          0,           ID_ACT_OPTIONS, ID_ACT_HELP,
                                          ID_ACT_HOME, ID_ACT_MAIL,    ID_ACT_ABOUT};
  return layout;
}

namespace {

// Images stand in the check-mark column, so captions with and without one line up.
void SetImageColumn(HMENU menu) {
  MENUINFO mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIM_STYLE;
  mi.dwStyle = 0;
  SetMenuInfo(menu, &mi);
}

int ImageOf(const MenuEntry& e) {
  const Command* c = e.command ? FindCommand(e.command) : nullptr;
  return c && e.showImage ? c->image : -1;
}

void AddEntries(HMENU menu, const std::vector<MenuEntry>& layout, bool images) {
  // Within one menu, either every command item has an image place or none has: Wine lays
  // out items with and without one differently and clips the longer captions.
  bool anyImage = false;
  for (const MenuEntry& e : layout) anyImage = anyImage || ImageOf(e) >= 0;
  for (const MenuEntry& e : layout) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    if (e.command == 0 && !e.caption) {
      mii.fMask = MIIM_FTYPE;
      mii.fType = MFT_SEPARATOR;
      InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mii);
      continue;
    }
    std::wstring text;
    if (e.command == 0) {
      HMENU sub = CreatePopupMenu();
      SetImageColumn(sub);
      AddEntries(sub, e.children, images);
      text = e.caption;
      mii.fMask = MIIM_SUBMENU | MIIM_STRING | MIIM_DATA;
      mii.hSubMenu = sub;
      mii.dwItemData = static_cast<ULONG_PTR>(-1);
    } else {
      const Command* c = FindCommand(e.command);
      text = e.caption ? e.caption : c->caption;
      std::wstring shortcut = ShortcutText(*c);
      if (!shortcut.empty()) text += L"\t" + shortcut;
      int image = ImageOf(e);
      mii.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA;
      mii.wID = static_cast<UINT>(c->id);
      mii.dwItemData = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(image));
      if (anyImage && images) {
        // Drawn by the owner window from the image list (MenuImageMeasure, MenuImageDraw),
        // so that transparency and the disabled look come out right everywhere.
        mii.fMask |= MIIM_BITMAP;
        mii.hbmpItem = HBMMENU_CALLBACK;
      }
    }
    mii.dwTypeData = text.data();
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mii);
  }
}

}  // namespace

HMENU BuildMenu(const std::vector<MenuEntry>& layout, bool popup, bool withImages) {
  HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
  if (popup) SetImageColumn(menu);
  AddEntries(menu, layout, withImages);
  return menu;
}

void MenuImageMeasure(MEASUREITEMSTRUCT* mis, int size, int gap) {
  mis->itemWidth = static_cast<UINT>(size + gap);
  mis->itemHeight = static_cast<UINT>(size);
}

void MenuImageDraw(const DRAWITEMSTRUCT* dis, HIMAGELIST normal, HIMAGELIST disabled, int size,
                   int gap) {
  int image = static_cast<int>(static_cast<LONG_PTR>(dis->itemData));
  if (image < 0) return;
  HIMAGELIST list = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) && disabled ? disabled : normal;
  int y = dis->rcItem.top + (dis->rcItem.bottom - dis->rcItem.top - size) / 2;
  ImageList_Draw(list, image, dis->hDC, dis->rcItem.left + gap, y, ILD_TRANSPARENT);
}

HACCEL BuildAccelerators() {
  std::vector<ACCEL> accels;
  for (const Command& c : Commands())
    if (c.shortcutKey)
      accels.push_back(
          {static_cast<BYTE>(FVIRTKEY | c.shortcutFlags), c.shortcutKey, static_cast<WORD>(c.id)});
  return CreateAcceleratorTableW(accels.data(), static_cast<int>(accels.size()));
}

void FillToolbar(HWND toolbar) {
  // Each button carries its hint as its text, which a screen reader announces; mixed
  // buttons show the text of none of them, so the bar stays image only.
  ToolbarInit(toolbar, TBSTYLE_EX_MIXEDBUTTONS);
  std::vector<TBBUTTON> buttons;
  for (int id : ToolbarLayout()) {
    TBBUTTON b{};
    if (id == 0) {
      b.fsStyle = BTNS_SEP;
      b.iBitmap = 8;
    } else {
      const Command* c = FindCommand(id);
      b.idCommand = id;
      b.iBitmap = c->image;
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = BTNS_BUTTON;
      b.iString = reinterpret_cast<INT_PTR>(c->hint ? c->hint : c->caption);
    }
    buttons.push_back(b);
  }
  ToolbarAddButtons(toolbar, buttons);
}

}  // namespace korvel
