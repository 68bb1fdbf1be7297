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

// The name a screen reader announces for a control.
std::wstring AccessibleName(HWND control) { return AccessibleText(control, Accessible::kName); }

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
