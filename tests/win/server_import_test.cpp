// The server import wizard, driven from inside its own loop: its pages, the accounts it
// lists from a scripted server and from Wine's own user list, the group it adds them to,
// and Cancel on every page changing nothing.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "base/text_win.h"
#include "res/resource.h"
#include "tests/win/import_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

// The controls shown now, by their text (or class when they have none), then the
// default button's id.
std::wstring Page(HWND w) {
  std::wstring shown;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    shown += (TextOf(c).empty() ? cls : TextOf(c).substr(0, 12)) + L"|";
  }
  return shown + std::to_wstring(LOWORD(SendMessageW(w, DM_GETDEFID, 0, 0)));
}

// The account lines, "+" before the ticked ones.
std::vector<std::wstring> Lines(HWND w) {
  HWND list = GetDlgItem(w, IDC_SRV_CHK_USER);
  std::vector<std::wstring> lines;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, i, 0, text, 256);
    lines.push_back(std::wstring(ListView_GetCheckState(list, static_cast<UINT>(i)) ? L"+" : L"") +
                    text);
  }
  return lines;
}

void Untick(HWND w, int line) {
  ListView_SetCheckState(GetDlgItem(w, IDC_SRV_CHK_USER), line, FALSE);
}

class ServerImport : public ::testing::Test, public ImportFixture {
 protected:
  ServerImport() {
    server.answers = {{234, {{"Administrator", ""}, {"PC7$", ""}}},
                      {0, {{"ivanov", Cp("Иванов Иван")}}}};
  }
  void Wizard(std::function<void(HWND)> drive) {
    server.next = 0;
    WhenDialogOpens(std::move(drive));
    Execute(ID_ACT_IMPORT_USER_NET);
  }
  // From page 1 to page 2 with the server `name`.
  static void ToAccounts(HWND w, const wchar_t* name = L"SRV") {
    SetText(w, IDC_SRV_ED_SERVER, name);
    Click(w, IDC_SRV_BUTTON1);
  }
};

}  // namespace

TEST_F(ServerImport, ThreePagesEachWithItsControlsAndCancelOnEachChangesNothing) {
  Start("0 0 Office\r\n");
  std::vector<std::wstring> pages;
  SIZE client{};
  std::wstring caption;
  Wizard([&](HWND w) {
    caption = TextOf(w);
    client = ClientSize96(w);
    pages.push_back(Page(w));
    ToAccounts(w);
    pages.push_back(Page(w));
    Click(w, IDC_SRV_BUTTON7);
    pages.push_back(Page(w));
    Click(w, IDC_SRV_BUTTON6);
    Click(w, IDC_SRV_BUTTON9);
    pages.push_back(Page(w));
    Click(w, IDC_SRV_BUTTON2);
  });
  EXPECT_EQ(caption, L"Импорт с сервера");
  EXPECT_EQ(client.cx, 302);
  EXPECT_EQ(client.cy, 180);
  EXPECT_EQ(pages,
            (std::vector<std::wstring>{
                L"Укажите пожа|Edit|...|Далее >>|Отмена|2513",
                L"Отметьте адр|SysListView32|<< Назад|Далее >>|Отмена|2518",
                L"Выберите гру|ComboBoxEx32|Создать нову|Edit|<< Назад|Закончить|Отмена|2522",
                L"Укажите пожа|SRV|...|Далее >>|Отмена|2513"}));

  for (int cancel : {IDC_SRV_BUTTON8, IDC_SRV_BUTTON5, IDCANCEL})
    Wizard([cancel](HWND w) {
      ToAccounts(w);
      if (cancel != IDC_SRV_BUTTON8) Click(w, IDC_SRV_BUTTON7);
      Click(w, IDC_CHK_NEW_GROUP);
      SendMessageW(w, WM_COMMAND, static_cast<WPARAM>(cancel), 0);  // IDCANCEL: Esc
    });
  EXPECT_EQ(Book(), "0 0 Office\r\n");
}

TEST_F(ServerImport, AnEmptyServerNameIsAnErrorAndTheWizardStaysOnItsFirstPage) {
  Start("");
  std::wstring title, text, page;
  bool errorIcon = false, okOnly = false;
  Wizard([&](HWND w) {
    WhenDialogOpens([&](HWND) {
      HWND box = ModalOnTop();
      title = TextOf(box);
      text = TextOf(GetDlgItem(box, 0xFFFF));
      for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (SendMessageW(c, STM_GETICON, 0, 0))
          errorIcon = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0)) ==
                      LoadIconW(nullptr, IDI_ERROR);
      okOnly = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL);
      SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
    Click(w, IDC_SRV_BUTTON1);
    page = Page(w);
    Click(w, IDC_SRV_BUTTON2);
  });
  EXPECT_EQ(title, L"Error");
  EXPECT_EQ(text, L"Укажите пожалуйста имя сервера");
  EXPECT_TRUE(errorIcon);
  EXPECT_TRUE(okOnly);
  EXPECT_EQ(page.substr(page.size() - 4), L"2513");
  EXPECT_TRUE(server.asked.empty());
}

TEST_F(ServerImport, AccountsAreListedTickedAndAfreshEachTime) {
  Start("");
  std::vector<std::vector<std::wstring>> lists;
  Wizard([&](HWND w) {
    ToAccounts(w, L"\\\\SRV");
    lists.push_back(Lines(w));
    Untick(w, 0);
    Click(w, IDC_SRV_BUTTON9);
    server.next = 0;
    Click(w, IDC_SRV_BUTTON1);
    lists.push_back(Lines(w));
    Click(w, IDC_SRV_BUTTON9);
    Click(w, IDC_SRV_BUTTON1);  // not found now
    lists.push_back(Lines(w));
    Click(w, IDC_SRV_BUTTON8);
  });
  const std::vector<std::wstring> both = {L"+Administrator", L"+ivanov (Иванов Иван)"};
  EXPECT_EQ(lists, (std::vector<std::vector<std::wstring>>{both, both, {}}));
  EXPECT_EQ(server.asked.front(), "\\\\\\\\SRV");
  EXPECT_TRUE(messages.empty());
}

TEST_F(ServerImport, TickedAccountsGoIntoThePickedGroupOrANewOneThatReceivesThem) {
  Start("0 0 Office\r\n1 1 old\r\n0 0 Вся сеть\r\n0 0 Lab\r\n1 0 Inner\r\n");
  std::vector<std::wstring> groups;
  Wizard([&](HWND w) {
    ToAccounts(w);
    Click(w, IDC_SRV_BUTTON7);
    Click(w, IDC_SRV_BUTTON6);
    Click(w, IDC_SRV_BUTTON7);  // page 3 again: listed again, not twice
    groups = ComboTexts(GetDlgItem(w, IDC_CMB_GROUP));
    Click(w, IDC_SRV_BUTTON4);
  });
  EXPECT_EQ(groups, (std::vector<std::wstring>{L"Office", L"Lab", L"Inner"}));
  Wizard([](HWND w) {
    ToAccounts(w);
    Untick(w, 1);
    Click(w, IDC_SRV_BUTTON7);
    SendMessageW(GetDlgItem(w, IDC_CMB_GROUP), CB_SETCURSEL, 2, 0);
    Click(w, IDC_SRV_BUTTON4);
  });
  Wizard([](HWND w) {
    ToAccounts(w);
    Click(w, IDC_SRV_BUTTON7);
    Click(w, IDC_CHK_NEW_GROUP);
    Click(w, IDC_SRV_BUTTON4);
  });
  EXPECT_EQ(Book(),
            "0 0 Office\r\n1 1 old\r\n1 1 Administrator\r\n1 1 ivanov (Иванов Иван)\r\n"
            "0 0 Вся сеть\r\n0 0 Lab\r\n1 0 Inner\r\n2 1 Administrator\r\n"
            "0 0 Новая группа\r\n1 1 Administrator\r\n1 1 ivanov (Иванов Иван)\r\n");

  // Nothing ticked: neither a new group nor the empty group picked is touched.
  const std::string before = Book();
  for (bool newGroup : {true, false})
    Wizard([newGroup](HWND w) {
      ToAccounts(w);
      Untick(w, 0);
      Untick(w, 1);
      Click(w, IDC_SRV_BUTTON7);
      SendMessageW(GetDlgItem(w, IDC_CMB_GROUP), CB_SETCURSEL, 2, 0);
      if (newGroup) Click(w, IDC_CHK_NEW_GROUP);
      Click(w, IDC_SRV_BUTTON4);
    });
  EXPECT_EQ(Book(), before);
}

TEST_F(ServerImport, WithNoGroupInTheTreeFinishingWaitsForANewOne) {
  Start("0 1 ivanov\r\n");
  std::vector<bool> finish;
  Wizard([&](HWND w) {
    ToAccounts(w);
    Click(w, IDC_SRV_BUTTON7);
    finish.push_back(IsWindowEnabled(GetDlgItem(w, IDC_SRV_BUTTON4)));
    Command(w, IDC_SRV_BUTTON4);  // Enter: nowhere to go yet
    finish.push_back(IsWindowVisible(w));
    Click(w, IDC_CHK_NEW_GROUP);
    finish.push_back(IsWindowEnabled(GetDlgItem(w, IDC_SRV_BUTTON4)));
    SetText(w, IDC_ED_NEW_GROUP, L"Сервер");
    Click(w, IDC_SRV_BUTTON4);
  });
  EXPECT_EQ(finish, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(Book(),
            "0 1 ivanov\r\n0 0 Сервер\r\n1 1 Administrator\r\n1 1 ivanov (Иванов Иван)\r\n");
}

TEST_F(ServerImport, TheServerIsPickedFromTheNetworkOrFromWinesOwnUserList) {
  services.userEnumerator = &SystemUserEnumerator();
  Start("0 0 Office\r\n");
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &size));
  shell.pick = Narrow(computer);
  std::wstring picked, kept;
  std::vector<std::wstring> lines;
  HWND wizard = nullptr;
  Wizard([&](HWND w) {
    wizard = w;
    Click(w, IDC_SRV_BUTTON3);
    picked = TextOf(GetDlgItem(w, IDC_SRV_ED_SERVER));
    shell.pick = "";
    Click(w, IDC_SRV_BUTTON3);  // cancelled: the name stays
    kept = TextOf(GetDlgItem(w, IDC_SRV_ED_SERVER));
    Click(w, IDC_SRV_BUTTON1);
    lines = Lines(w);
    Click(w, IDC_SRV_BUTTON7);
    Click(w, IDC_SRV_BUTTON4);
  });
  EXPECT_EQ(picked, computer);
  EXPECT_EQ(kept, computer);
  EXPECT_EQ(shell.title, Cp("Выбeрите компьютер"));
  EXPECT_EQ(shell.info.ulFlags, 0x1000u);
  EXPECT_EQ(shell.info.hwndOwner, wizard);
  // Wine answers level 20 only, with this session's user among this computer's accounts.
  const std::string user = TKorvelForm::GetUserFromWindows();
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"+" + Widen(user)), lines.end());
  EXPECT_NE(Book().find("1 1 " + Utf8FromCp1251(user)), std::string::npos);
}
