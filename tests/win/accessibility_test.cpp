// What a screen reader and a keyboard user find in the main window: names for the
// toolbar's picture buttons, labels standing right before the boxes they name.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include "app/command_table_win.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class Accessibility : public ::testing::Test, public FormFixture {
 protected:
  void SetUp() override { Create(); }
};

// The name a screen reader announces for a control, through the system's accessibility
// layer; empty when that layer gives none.
std::wstring AccessibleName(HWND control) {
  // IAccessible's id, spelled out: the import libraries define IID_IAccessible twice.
  static const GUID kAccessible = {
      0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                        reinterpret_cast<void**>(&acc))) ||
      !acc)
    return {};
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::wstring result;
  if (SUCCEEDED(acc->get_accName(self, &name)) && name) result = name;
  SysFreeString(name);
  acc->Release();
  return result;
}

}  // namespace

TEST_F(Accessibility, ToolbarButtonsAreNamedByTheirHintsYetShowOnlyTheirPictures) {
  HWND bar = form->ActionToolBar1;
  for (int id : ToolbarLayout()) {
    if (id == 0) continue;
    const Command* c = FindCommand(id);
    wchar_t text[128] = {};
    SendMessageW(bar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), c->hint) << c->name;
    RECT r{};
    SendMessageW(bar, TB_GETRECT, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&r));
    EXPECT_LE(r.right - r.left, 24) << c->name << ": its text would show";
  }
}

TEST_F(Accessibility, EachBoxIsNamedByTheLabelBeforeIt) {
  struct Pair {
    HWND box;
    const wchar_t* label;
  };
  for (Pair p : {Pair{form->Compose().edRecipient, L"Получатель"},
                 Pair{form->Compose().edSender, L"Отправитель"}}) {
    // The label is the window right before the box, which is where a screen reader
    // (and the dialog manager's mnemonics) look for it.
    HWND before = GetWindow(p.box, GW_HWNDPREV);
    wchar_t cls[16] = {};
    GetClassNameW(before, cls, 16);
    EXPECT_STREQ(cls, L"Static");
    EXPECT_EQ(TextOf(before), p.label);
  }
  // What the accessibility layer makes of it. (For a combo box, Wine's layer announces its
  // text rather than its label, so only the edit box is asked.)
  EXPECT_EQ(AccessibleName(form->Compose().edRecipient), L"Получатель");
}
