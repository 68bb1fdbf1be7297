// The server import wizard, driven from inside its own loop: its pages, the accounts it
// lists from a scripted server and from Wine's own user list, the group it adds them to,
// and Cancel on every page changing nothing.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>

#include "base/text.h"
#include "base/text_win.h"
#include "res/resource.h"
#include "tests/win/import_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

const int kAllControls[] = {IDC_SRV_LABEL1,    IDC_SRV_ED_SERVER, IDC_SRV_BUTTON3,  IDC_SRV_BUTTON1,
                            IDC_SRV_BUTTON2,   IDC_SRV_LABEL3,    IDC_SRV_CHK_USER, IDC_SRV_BUTTON9,
                            IDC_SRV_BUTTON7,   IDC_SRV_BUTTON8,   IDC_SRV_LABEL2,   IDC_CMB_GROUP,
                            IDC_CHK_NEW_GROUP, IDC_ED_NEW_GROUP,  IDC_SRV_BUTTON6,  IDC_SRV_BUTTON4,
                            IDC_SRV_BUTTON5};

// The captions of the controls the user sees now, in the template's order.
std::vector<std::wstring> Visible(HWND wizard) {
  std::vector<std::wstring> shown;
  for (int id : kAllControls) {
    HWND c = GetDlgItem(wizard, id);
    if (!IsWindowVisible(c)) continue;
    std::wstring text = TextOf(c);
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    shown.push_back(text.empty() ? cls : text);
  }
  return shown;
}

int DefaultButton(HWND wizard) { return LOWORD(SendMessageW(wizard, DM_GETDEFID, 0, 0)); }

std::vector<std::wstring> Lines(HWND wizard, std::vector<bool>* ticked = nullptr) {
  HWND list = GetDlgItem(wizard, IDC_SRV_CHK_USER);
  std::vector<std::wstring> lines;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, i, 0, text, 256);
    lines.push_back(text);
    if (ticked) ticked->push_back(ListView_GetCheckState(list, static_cast<UINT>(i)) != 0);
  }
  return lines;
}

class ServerImport : public ::testing::Test, public ImportFixture {
 protected:
  ServerImport() {
    server.answers = {{234, {{"Administrator", ""}, {"PC7$", ""}}, 41},
                      {0, {{"ivanov", Cp("Иванов Иван")}}}};
  }
  // Runs the wizard with `drive` acting on it.
  void Wizard(std::function<void(HWND)> drive) {
    WhenDialogOpens(std::move(drive));
    Execute(ID_ACT_IMPORT_USER_NET);
  }
  // From page 1 to page 3 with the server `name`.
  static void ToLastPage(HWND w, const wchar_t* name = L"SRV") {
    SetWindowTextW(GetDlgItem(w, IDC_SRV_ED_SERVER), name);
    Click(w, IDC_SRV_BUTTON1);
    Click(w, IDC_SRV_BUTTON7);
  }
};

}  // namespace

TEST_F(ServerImport, ThreePagesWithTheirOwnControlsAndDefaultButtons) {
  Start("0 0 Office\r\n");
  std::vector<std::vector<std::wstring>> pages;
  std::vector<int> defaults;
  std::wstring caption;
  SIZE client{};
  HWND labelNext = nullptr, serverBox = nullptr;
  Wizard([&](HWND w) {
    caption = TextOf(w);
    client = ClientSize96(w);
    labelNext = GetWindow(GetDlgItem(w, IDC_SRV_LABEL1), GW_HWNDNEXT);
    serverBox = GetDlgItem(w, IDC_SRV_ED_SERVER);
    auto note = [&] {
      pages.push_back(Visible(w));
      defaults.push_back(DefaultButton(w));
    };
    note();
    SetWindowTextW(GetDlgItem(w, IDC_SRV_ED_SERVER), L"SRV");
    Click(w, IDC_SRV_BUTTON1);
    note();
    Click(w, IDC_SRV_BUTTON7);
    note();
    Click(w, IDC_SRV_BUTTON6);
    note();
    Click(w, IDC_SRV_BUTTON9);
    note();
    Click(w, IDC_SRV_BUTTON2);
  });
  EXPECT_EQ(caption, L"Импорт с сервера");
  EXPECT_EQ(client.cx, 302);
  EXPECT_EQ(client.cy, 180);
  EXPECT_EQ(labelNext, serverBox);
  const std::vector<std::wstring> first = {
      L"Укажите пожалуйста сервер с которго будет произведен импорт адресатов", L"SRV", L"...",
      L"Далее >>", L"Отмена"};
  const std::vector<std::wstring> second = {L"Отметьте адресатов, которых вы хотите добавить",
                                            L"SysListView32", L"<< Назад", L"Далее >>", L"Отмена"};
  const std::vector<std::wstring> third = {
      L"Выберите группу адресатов, в которую вы хотите  помеcтить импортированные адреса",
      L"ComboBoxEx32",
      L"Создать новую группу адресов",
      L"Edit",
      L"<< Назад",
      L"Закончить",
      L"Отмена"};
  ASSERT_EQ(pages.size(), 5u);
  std::vector<std::wstring> firstEmpty = first;
  firstEmpty[1] = L"Edit";
  EXPECT_EQ(pages[0], firstEmpty);
  EXPECT_EQ(pages[1], second);
  EXPECT_EQ(pages[2], third);
  EXPECT_EQ(pages[3], second);
  EXPECT_EQ(pages[4], first);
  EXPECT_EQ(defaults, (std::vector<int>{IDC_SRV_BUTTON1, IDC_SRV_BUTTON7, IDC_SRV_BUTTON4,
                                        IDC_SRV_BUTTON7, IDC_SRV_BUTTON1}));
  EXPECT_EQ(Book(), "0 0 Office\r\n");
}

TEST_F(ServerImport, AnEmptyServerNameIsAnErrorAndTheWizardStaysOnItsFirstPage) {
  Start("");
  std::wstring title, text;
  bool errorIcon = false, okOnly = false;
  std::vector<std::wstring> page;
  Wizard([&](HWND w) {
    WhenDialogOpens([&](HWND) {
      HWND box = ModalOnTop();
      title = TextOf(box);
      text = TextOf(GetDlgItem(box, 0xFFFF));
      for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (auto icon = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0)))
          errorIcon = icon == LoadIconW(nullptr, IDI_ERROR);
      okOnly = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDNO);
      SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
    Click(w, IDC_SRV_BUTTON1);
    page = Visible(w);
    Click(w, IDC_SRV_BUTTON2);
  });
  EXPECT_EQ(title, L"Error");
  EXPECT_EQ(text, L"Укажите пожалуйста имя сервера");
  EXPECT_TRUE(errorIcon);
  EXPECT_TRUE(okOnly);
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(page[2], L"...");
  EXPECT_TRUE(server.servers.empty());
}

TEST_F(ServerImport, AccountsAreListedTickedAndListedAfreshEachTime) {
  Start("");
  std::vector<std::wstring> lines, again;
  std::vector<bool> ticked, tickedAgain;
  Wizard([&](HWND w) {
    SetWindowTextW(GetDlgItem(w, IDC_SRV_ED_SERVER), L"\\\\SRV");
    Click(w, IDC_SRV_BUTTON1);
    lines = Lines(w, &ticked);
    ListView_SetCheckState(GetDlgItem(w, IDC_SRV_CHK_USER), 0, FALSE);
    Click(w, IDC_SRV_BUTTON9);
    server.next = 0;
    Click(w, IDC_SRV_BUTTON1);
    again = Lines(w, &tickedAgain);
    Click(w, IDC_SRV_BUTTON8);
  });
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"Administrator", L"ivanov (Иванов Иван)"}));
  EXPECT_EQ(ticked, (std::vector<bool>{true, true}));
  EXPECT_EQ(again, lines);
  EXPECT_EQ(tickedAgain, ticked);
  EXPECT_EQ(server.servers,
            (std::vector<std::string>{"\\\\\\\\SRV", "\\\\\\\\SRV", "\\\\\\\\SRV", "\\\\\\\\SRV"}));
}

TEST_F(ServerImport, AServerThatFailsPartWayOrCannotBeReachedListsWhatItGave) {
  Start("");
  server.answers = {{234, {{"a", ""}}, 1}, {53, {{"b", ""}}}};
  std::vector<std::wstring> partly, none;
  Wizard([&](HWND w) {
    SetWindowTextW(GetDlgItem(w, IDC_SRV_ED_SERVER), L"SRV");
    Click(w, IDC_SRV_BUTTON1);
    partly = Lines(w);
    Click(w, IDC_SRV_BUTTON9);
    Click(w, IDC_SRV_BUTTON1);  // the script has no more answers: "not found"
    none = Lines(w);
    Click(w, IDC_SRV_BUTTON8);
  });
  EXPECT_EQ(partly, std::vector<std::wstring>{L"a"});
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ServerImport, TickedAccountsGoIntoTheGroupPickedFromTheList) {
  Start("0 0 Office\r\n1 1 old\r\n0 0 Вся сеть\r\n0 0 Lab\r\n1 0 Inner\r\n");
  std::vector<std::wstring> groups;
  Wizard([&](HWND w) {
    ToLastPage(w);
    Click(w, IDC_SRV_BUTTON6);
    Click(w, IDC_SRV_BUTTON7);  // shown again: listed again, not twice
    groups = ComboTexts(GetDlgItem(w, IDC_CMB_GROUP));
    SendMessageW(GetDlgItem(w, IDC_CMB_GROUP), CB_SETCURSEL, 0, 0);
    Click(w, IDC_SRV_BUTTON4);
  });
  EXPECT_EQ(groups, (std::vector<std::wstring>{L"Office", L"Lab", L"Inner"}));
  EXPECT_EQ(Book(),
            "0 0 Office\r\n1 1 old\r\n1 1 Administrator\r\n1 1 ivanov (Иванов Иван)\r\n"
            "0 0 Вся сеть\r\n0 0 Lab\r\n1 0 Inner\r\n");

  // Only the ticked ones, into a nested group.
  server.next = 0;
  Wizard([&](HWND w) {
    SetWindowTextW(GetDlgItem(w, IDC_SRV_ED_SERVER), L"SRV");
    Click(w, IDC_SRV_BUTTON1);
    ListView_SetCheckState(GetDlgItem(w, IDC_SRV_CHK_USER), 1, FALSE);
    Click(w, IDC_SRV_BUTTON7);
    SendMessageW(GetDlgItem(w, IDC_CMB_GROUP), CB_SETCURSEL, 2, 0);
    Click(w, IDC_SRV_BUTTON4);
  });
  EXPECT_EQ(Book(),
            "0 0 Office\r\n1 1 old\r\n1 1 Administrator\r\n1 1 ivanov (Иванов Иван)\r\n"
            "0 0 Вся сеть\r\n0 0 Lab\r\n1 0 Inner\r\n2 1 Administrator\r\n");
}

TEST_F(ServerImport, ANewGroupIsMadeOnlyWhenItReceivesSomething) {
  Start("0 0 Empty\r\n");
  Wizard([](HWND w) {
    ToLastPage(w);
    Click(w, IDC_CHK_NEW_GROUP);
    Click(w, IDC_SRV_BUTTON4);
  });
  EXPECT_EQ(Book(),
            "0 0 Empty\r\n0 0 Новая группа\r\n1 1 Administrator\r\n1 1 ivanov (Иванов Иван)\r\n");

  // Nothing ticked: neither a new group nor the empty group picked is touched.
  for (bool newGroup : {true, false}) {
    server.next = 0;
    Wizard([newGroup](HWND w) {
      SetWindowTextW(GetDlgItem(w, IDC_SRV_ED_SERVER), L"SRV");
      Click(w, IDC_SRV_BUTTON1);
      for (int i = 0; i < 2; ++i) ListView_SetCheckState(GetDlgItem(w, IDC_SRV_CHK_USER), i, FALSE);
      Click(w, IDC_SRV_BUTTON7);
      if (newGroup) Click(w, IDC_CHK_NEW_GROUP);
      Click(w, IDC_SRV_BUTTON4);
    });
  }
  EXPECT_EQ(Book(),
            "0 0 Empty\r\n0 0 Новая группа\r\n1 1 Administrator\r\n1 1 ivanov (Иванов Иван)\r\n");
}

TEST_F(ServerImport, WithNoGroupInTheTreeFinishingWaitsForANewOne) {
  Start("0 1 ivanov\r\n");
  std::vector<bool> finish;
  Wizard([&](HWND w) {
    ToLastPage(w);
    finish.push_back(IsWindowEnabled(GetDlgItem(w, IDC_SRV_BUTTON4)) != 0);
    Command(w, IDC_SRV_BUTTON4);  // Enter: nowhere to go yet
    finish.push_back(IsWindowVisible(w) != 0);
    Click(w, IDC_CHK_NEW_GROUP);
    finish.push_back(IsWindowEnabled(GetDlgItem(w, IDC_SRV_BUTTON4)) != 0);
    SetWindowTextW(GetDlgItem(w, IDC_ED_NEW_GROUP), L"Сервер");
    Click(w, IDC_SRV_BUTTON4);
  });
  EXPECT_EQ(finish, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(Book(),
            "0 1 ivanov\r\n0 0 Сервер\r\n1 1 Administrator\r\n1 1 ivanov (Иванов Иван)\r\n");
}

TEST_F(ServerImport, CancelOnEveryPageChangesNothing) {
  Start("0 0 Office\r\n");
  const int cancels[] = {IDC_SRV_BUTTON2, IDC_SRV_BUTTON8, IDC_SRV_BUTTON5, IDCANCEL};
  for (int page = 0; page < 4; ++page) {
    server.next = 0;
    Wizard([&](HWND w) {
      if (page >= 1) {
        SetWindowTextW(GetDlgItem(w, IDC_SRV_ED_SERVER), L"SRV");
        Click(w, IDC_SRV_BUTTON1);
      }
      if (page >= 2) {
        Click(w, IDC_SRV_BUTTON7);
        Click(w, IDC_CHK_NEW_GROUP);
      }
      if (cancels[page] == IDCANCEL)
        SendMessageW(w, WM_COMMAND, IDCANCEL, 0);  // Esc, or the close box
      else
        Click(w, cancels[page]);
    });
    EXPECT_EQ(Book(), "0 0 Office\r\n") << page;
  }
}

TEST_F(ServerImport, TheServerCanBePickedFromTheNetwork) {
  Start("");
  std::wstring picked, kept;
  Wizard([&](HWND w) {
    shell.pick = "SRV2";
    Click(w, IDC_SRV_BUTTON3);
    picked = TextOf(GetDlgItem(w, IDC_SRV_ED_SERVER));
    shell.pick = "";
    Click(w, IDC_SRV_BUTTON3);
    kept = TextOf(GetDlgItem(w, IDC_SRV_ED_SERVER));
    Click(w, IDC_SRV_BUTTON2);
  });
  EXPECT_EQ(picked, L"SRV2");
  EXPECT_EQ(kept, L"SRV2");
  EXPECT_EQ(shell.title, Cp("Выбeрите компьютер"));
  EXPECT_EQ(shell.info.ulFlags, 0x1000u);
  EXPECT_NE(shell.info.hwndOwner, form->Handle());  // the wizard's, over which it opens
  EXPECT_EQ(shell.browsed, 2);
}

TEST_F(ServerImport, WinesOwnUserListForThisComputer) {
  services.userEnumerator = &SystemUserEnumerator();
  Start("0 0 Office\r\n");
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &size));
  std::vector<std::wstring> lines;
  Wizard([&](HWND w) {
    ToLastPage(w, computer);
    Click(w, IDC_SRV_BUTTON6);
    lines = Lines(w);
    Click(w, IDC_SRV_BUTTON7);
    Click(w, IDC_SRV_BUTTON4);
  });
  // Wine answers level 20 only, with this session's user among the accounts.
  const std::wstring user = Widen(TKorvelForm::GetUserFromWindows());
  EXPECT_NE(std::find(lines.begin(), lines.end(), user), lines.end()) << lines.size();
  EXPECT_NE(Book().find("1 1 " + Utf8FromCp1251(TKorvelForm::GetUserFromWindows())),
            std::string::npos);
}
