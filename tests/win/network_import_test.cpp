// The network imports and the target group chooser: the browse as the shell is asked for
// it, the name typed where the shell cannot show the network, and the group the node goes
// into, with the chooser driven from inside its own loop.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "addressbook/recipients.h"
#include "base/text_win.h"
#include "res/resource.h"
#include "tests/win/import_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class NetworkImport : public ::testing::Test, public ImportFixture {
 protected:
  // Runs `command`, answering the chooser with `choose` (which leaves it open or closes it).
  void ImportWith(int command, std::function<void(HWND)> choose) {
    WhenDialogOpens(std::move(choose));
    Execute(command);
  }
  // Picks the list's item `index` and presses OK.
  static std::function<void(HWND)> Existing(int index) {
    return [index](HWND d) {
      SendMessageW(GetDlgItem(d, IDC_CMB_GROUP), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      Click(d, IDOK);
    };
  }
  // Ticks "Создать новую группу адресов", types `name` unless null, and presses OK.
  static std::function<void(HWND)> NewGroup(const wchar_t* name) {
    return [name](HWND d) {
      Click(d, IDC_CHK_NEW_GROUP);
      if (name) SetWindowTextW(GetDlgItem(d, IDC_ED_NEW_GROUP), name);
      Click(d, IDOK);
    };
  }
};

}  // namespace

TEST_F(NetworkImport, APickedComputerGoesIntoTheGroupChosenInAListOfGroupsInTreeOrder) {
  Start(
      "0 0 Office\r\n1 2 PC1\r\n1 0 Floor 2\r\n0 0 Вся сеть\r\n0 3 Вся сеть\r\n0 1 Lab\r\n"
      "0 0 Lab\r\n");
  shell.pick = "PC7";
  std::vector<std::wstring> listed;
  std::vector<int> images;
  int selected = -2;
  ImportWith(ID_ACT_IMPORT_NET, [&](HWND d) {
    listed = ComboTexts(GetDlgItem(d, IDC_CMB_GROUP), &images);
    selected = static_cast<int>(SendMessageW(GetDlgItem(d, IDC_CMB_GROUP), CB_GETCURSEL, 0, 0));
    Existing(2)(d);
  });
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"Office", L"Floor 2", L"Lab"}));
  EXPECT_EQ(images, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(Book(),
            "0 0 Office\r\n1 2 PC1\r\n1 0 Floor 2\r\n0 0 Вся сеть\r\n0 3 Вся сеть\r\n0 1 Lab\r\n"
            "0 0 Lab\r\n1 2 PC7\r\n");

  // The shell was asked as the program's design says.
  EXPECT_EQ(shell.folderAsked, CSIDL_NETWORK);
  EXPECT_EQ(shell.folderOwner, nullptr);
  EXPECT_EQ(shell.info.hwndOwner, form->Handle());
  EXPECT_EQ(shell.info.pidlRoot, shell.root);
  EXPECT_EQ(shell.title, Cp("Выбeрите компьютер"));
  EXPECT_EQ(shell.title.substr(3, 1), "e");  // a Latin e
  EXPECT_EQ(shell.info.ulFlags, 0x1000u);
  EXPECT_EQ(shell.info.lpfn, nullptr);
  EXPECT_EQ(shell.nonZeroBytes, 0u);
  EXPECT_EQ(shell.freed, (std::vector<PIDLIST_ABSOLUTE>{shell.picked, shell.root}));

  // The same computer again into the first group: a second node.
  ImportWith(ID_ACT_IMPORT_NET, Existing(0));
  ImportWith(ID_ACT_IMPORT_NET, Existing(0));
  EXPECT_EQ(Book(),
            "0 0 Office\r\n1 2 PC1\r\n1 0 Floor 2\r\n1 2 PC7\r\n1 2 PC7\r\n0 0 Вся сеть\r\n"
            "0 3 Вся сеть\r\n0 1 Lab\r\n0 0 Lab\r\n1 2 PC7\r\n");
}

TEST_F(NetworkImport, AWorkgroupGoesIntoANewGroupNamedByDefault) {
  Start("0 0 Office\r\n");
  shell.pick = "HOME";
  ImportWith(ID_ACT_IMPORT_GROUP_NET, NewGroup(nullptr));
  EXPECT_EQ(shell.title, Cp("Выбeрите группу"));
  EXPECT_EQ(shell.info.ulFlags, 0x0002u);
  EXPECT_EQ(Book(), "0 0 Office\r\n0 0 Новая группа\r\n1 3 HOME\r\n");
  TreeViewTree tree = Tree();
  Node home = tree.FirstChild(tree.NextSibling(tree.FirstTopLevel()));
  EXPECT_EQ(RecipientTextOf(tree, home), "HOME*");

  // The whole network picked as a workgroup: a node that stands for everyone. A typed
  // name is taken as typed, even one a group already has.
  shell.pick = Cp("Вся сеть");
  ImportWith(ID_ACT_IMPORT_GROUP_NET, NewGroup(L"Office"));
  EXPECT_EQ(Book(), "0 0 Office\r\n0 0 Новая группа\r\n1 3 HOME\r\n0 0 Office\r\n1 3 Вся сеть\r\n");
  Node all = tree.FirstChild(tree.NextSibling(tree.NextSibling(tree.FirstTopLevel())));
  EXPECT_EQ(RecipientTextOf(tree, all), "*");
}

TEST_F(NetworkImport, CancellingTheBrowseOrTheChooserAddsNothing) {
  Start("0 0 Office\r\n");
  shell.pick = "";
  bool chooserOpened = false;
  WhenDialogOpens([&](HWND d) {
    chooserOpened = true;
    Click(d, IDCANCEL);
  });
  Execute(ID_ACT_IMPORT_NET);
  EXPECT_EQ(shell.browsed, 1);
  EXPECT_FALSE(chooserOpened);
  EXPECT_EQ(shell.freed, std::vector<PIDLIST_ABSOLUTE>{shell.root});
  WhenDialogOpens(nullptr);

  shell.pick = "PC7";
  for (bool escape : {false, true})
    ImportWith(ID_ACT_IMPORT_NET, [escape](HWND d) {
      Click(d, IDC_CHK_NEW_GROUP);
      if (escape)
        SendMessageW(d, WM_COMMAND, IDCANCEL, 0);  // what Esc sends
      else
        Click(d, IDCANCEL);
    });
  EXPECT_EQ(Book(), "0 0 Office\r\n");
  EXPECT_TRUE(messages.empty());
}

TEST_F(NetworkImport, TheChooserTogglesBetweenListAndNameAndKeepsATypedName) {
  Start("0 0 Office\r\n");
  shell.pick = "PC7";
  struct State {
    bool list, name;
    std::wstring text;
  };
  std::vector<State> states;
  std::wstring caption, label;
  SIZE client{};
  HWND labelNext = nullptr, comboHandle = nullptr;
  ImportWith(ID_ACT_IMPORT_NET, [&](HWND d) {
    HWND combo = GetDlgItem(d, IDC_CMB_GROUP), edit = GetDlgItem(d, IDC_ED_NEW_GROUP);
    auto note = [&] {
      states.push_back({IsWindowEnabled(combo) != 0, IsWindowEnabled(edit) != 0, TextOf(edit)});
    };
    caption = TextOf(d);
    label = TextOf(GetDlgItem(d, IDC_SEL_LABEL1));
    client = ClientSize96(d);
    labelNext = GetWindow(GetDlgItem(d, IDC_SEL_LABEL1), GW_HWNDNEXT);
    comboHandle = combo;
    note();
    Click(d, IDC_CHK_NEW_GROUP);
    note();
    SetWindowTextW(edit, L"Склад");
    Click(d, IDC_CHK_NEW_GROUP);
    note();
    Click(d, IDC_CHK_NEW_GROUP);
    note();
    Click(d, IDOK);
  });
  ASSERT_EQ(states.size(), 4u);
  EXPECT_TRUE(states[0].list && !states[0].name && states[0].text.empty());
  EXPECT_TRUE(!states[1].list && states[1].name && states[1].text == L"Новая группа");
  EXPECT_TRUE(states[2].list && !states[2].name && states[2].text == L"Склад");
  EXPECT_TRUE(!states[3].list && states[3].name && states[3].text == L"Склад");
  EXPECT_EQ(Book(), "0 0 Office\r\n0 0 Склад\r\n1 2 PC7\r\n");

  EXPECT_EQ(caption, L"Импорт");
  // A double blank, and a Latin c in "помеcтить".
  EXPECT_EQ(Narrow(label), Cp("Выберите группу адресатов, в которую вы хотите  поме") + "c" +
                               Cp("тить импортированные адреса"));
  EXPECT_EQ(client.cx, 307);
  EXPECT_EQ(client.cy, 150);
  EXPECT_EQ(labelNext, comboHandle);  // the label names the list for the keyboard and readers
}

TEST_F(NetworkImport, WithNoGroupOkWaitsForANewOne) {
  Start("0 1 ivanov\r\n0 0 Вся сеть\r\n");
  shell.pick = "PC7";
  std::vector<bool> okEnabled;
  int count = -1, selected = -2;
  ImportWith(ID_ACT_IMPORT_NET, [&](HWND d) {
    HWND combo = GetDlgItem(d, IDC_CMB_GROUP);
    count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    selected = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    okEnabled.push_back(IsWindowEnabled(GetDlgItem(d, IDOK)) != 0);
    Command(d, IDOK);  // Enter: nowhere to go, so the dialog stays
    okEnabled.push_back(IsWindowVisible(d) != 0);
    Click(d, IDC_CHK_NEW_GROUP);
    okEnabled.push_back(IsWindowEnabled(GetDlgItem(d, IDOK)) != 0);
    Click(d, IDC_CHK_NEW_GROUP);
    okEnabled.push_back(IsWindowEnabled(GetDlgItem(d, IDOK)) != 0);
    Click(d, IDC_CHK_NEW_GROUP);
    SetWindowTextW(GetDlgItem(d, IDC_ED_NEW_GROUP), L"");
    Click(d, IDOK);
  });
  EXPECT_EQ(count, 0);
  EXPECT_EQ(selected, -1);
  EXPECT_EQ(okEnabled, (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(Book(), "0 1 ivanov\r\n0 0 Вся сеть\r\n0 0 Новая группа\r\n1 2 PC7\r\n");
}

TEST_F(NetworkImport, WhereTheShellCannotShowTheNetworkTheNameIsTyped) {
  Start("0 0 Office\r\n");
  struct Seen {
    std::wstring title;
    bool okAtFirst = true, okWithBlanks = true, okWithName = false;
  } seen;
  auto typeName = [&](const wchar_t* name) {
    return [&seen, name](HWND d) {
      seen.title = TextOf(d);
      HWND edit = GetDlgItem(d, IDC_NAME_EDIT);
      seen.okAtFirst = IsWindowEnabled(GetDlgItem(d, IDOK)) != 0;
      SetWindowTextW(edit, L"   ");
      seen.okWithBlanks = IsWindowEnabled(GetDlgItem(d, IDOK)) != 0;
      SetWindowTextW(edit, name);
      seen.okWithName = IsWindowEnabled(GetDlgItem(d, IDOK)) != 0;
      WhenDialogOpens([](HWND chooser) {
        SendMessageW(GetDlgItem(chooser, IDC_CMB_GROUP), CB_SETCURSEL, 0, 0);
        Click(chooser, IDOK);
      });
      Click(d, IDOK);
    };
  };
  // No network folder at all.
  shell.folderResult = E_FAIL;
  WhenDialogOpens(typeName(L"  PC9 "));
  Execute(ID_ACT_IMPORT_NET);
  EXPECT_EQ(seen.title, L"Выбeрите компьютер");
  EXPECT_FALSE(seen.okAtFirst);
  EXPECT_FALSE(seen.okWithBlanks);
  EXPECT_TRUE(seen.okWithName);
  EXPECT_EQ(shell.browsed, 0);

  // A network folder with nothing in it.
  shell.folderResult = S_OK;
  shell.listsAnything = false;
  WhenDialogOpens(typeName(L"WORKGROUP"));
  Execute(ID_ACT_IMPORT_GROUP_NET);
  EXPECT_EQ(seen.title, L"Выбeрите группу");
  EXPECT_EQ(shell.browsed, 0);
  EXPECT_EQ(shell.freed, std::vector<PIDLIST_ABSOLUTE>{shell.root});
  EXPECT_EQ(Book(), "0 0 Office\r\n1 2 PC9\r\n1 3 WORKGROUP\r\n");

  // Cancelled: nothing.
  WhenDialogOpens([](HWND d) { Click(d, IDCANCEL); });
  Execute(ID_ACT_IMPORT_NET);
  EXPECT_EQ(Book(), "0 0 Office\r\n1 2 PC9\r\n1 3 WORKGROUP\r\n");
}

TEST_F(NetworkImport, WinesShellShowsNoNetworkSoTheNameIsTyped) {
  services.networkShell = &SystemNetworkShell();
  Start("0 0 Office\r\n");
  std::wstring title;
  WhenDialogOpens([&](HWND d) {
    title = TextOf(d);
    SetWindowTextW(GetDlgItem(d, IDC_NAME_EDIT), L"ПК-12");
    WhenDialogOpens([](HWND chooser) { Click(chooser, IDOK); });
    Click(d, IDOK);
  });
  Execute(ID_ACT_IMPORT_NET);
  EXPECT_EQ(title, L"Выбeрите компьютер");
  EXPECT_EQ(Book(), "0 0 Office\r\n1 2 ПК-12\r\n");
}
