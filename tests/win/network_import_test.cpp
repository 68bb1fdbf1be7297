// The network imports and the target group chooser: the browse as the shell is asked for
// it, the name typed where the shell cannot show the network, and the group the node goes
// into, with the chooser driven from inside its own loop.
#include <windows.h>

#include <gtest/gtest.h>

#include "addressbook/recipients.h"
#include "base/text_win.h"
#include "res/resource.h"
#include "tests/win/import_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

// Answers the chooser: the list's item `index`, or with `index` -1 a new group named
// `name` (left as the box fills it when null).
std::function<void(HWND)> Choose(int index, const wchar_t* name = nullptr) {
  return [=](HWND d) {
    if (index >= 0) {
      SendMessageW(GetDlgItem(d, IDC_CMB_GROUP), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else {
      Click(d, IDC_CHK_NEW_GROUP);
      if (name) SetText(d, IDC_ED_NEW_GROUP, name);
    }
    Click(d, IDOK);
  };
}

class NetworkImport : public ::testing::Test, public ImportFixture {
 protected:
  void Import(int command, std::function<void(HWND)> dialog) {
    WhenDialogOpens(std::move(dialog));
    Execute(command);
  }
};

}  // namespace

TEST_F(NetworkImport, APickedComputerGoesIntoTheGroupPickedFromAListInTreeOrder) {
  Start("0 0 Office\r\n1 0 Floor 2\r\n0 0 Вся сеть\r\n0 3 Вся сеть\r\n0 1 Lab\r\n0 0 Lab\r\n");
  shell.pick = "PC7";
  std::vector<std::wstring> listed;
  std::vector<int> images;
  LRESULT selected = -2;
  Import(ID_ACT_IMPORT_NET, [&](HWND d) {
    listed = ComboTexts(GetDlgItem(d, IDC_CMB_GROUP), &images);
    selected = SendMessageW(GetDlgItem(d, IDC_CMB_GROUP), CB_GETCURSEL, 0, 0);
    Choose(2)(d);  // the group Lab, not the address of that name before it
  });
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"Office", L"Floor 2", L"Lab"}));
  EXPECT_EQ(images, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(selected, 0);
  // The same computer twice more, into the first group.
  Import(ID_ACT_IMPORT_NET, Choose(0));
  Import(ID_ACT_IMPORT_NET, Choose(0));
  EXPECT_EQ(Book(),
            "0 0 Office\r\n1 0 Floor 2\r\n1 2 PC7\r\n1 2 PC7\r\n0 0 Вся сеть\r\n0 3 Вся сеть\r\n"
            "0 1 Lab\r\n0 0 Lab\r\n1 2 PC7\r\n");

  // The browse record as the shell was given it, and both item lists given back.
  EXPECT_EQ(shell.info.hwndOwner, form->Handle());
  EXPECT_EQ(shell.info.pidlRoot, shell.root);
  EXPECT_EQ(shell.title, Cp("Выб") + "e" + Cp("рите компьютер"));  // a Latin e
  EXPECT_EQ(shell.info.ulFlags, 0x1000u);
  EXPECT_EQ(shell.info.lpfn, nullptr);
  EXPECT_TRUE(shell.bufferWasZero);
  EXPECT_EQ(shell.freed.size(), 6u);
}

TEST_F(NetworkImport, AWorkgroupGoesIntoANewGroupAndTheWholeNetworkStandsForEveryone) {
  Start("0 0 Office\r\n");
  shell.pick = "HOME";
  Import(ID_ACT_IMPORT_GROUP_NET, Choose(-1));
  EXPECT_EQ(shell.title, Cp("Выб") + "e" + Cp("рите группу"));
  EXPECT_EQ(shell.info.ulFlags, 0x0002u);
  shell.pick = Cp("Вся сеть");
  Import(ID_ACT_IMPORT_GROUP_NET, Choose(-1, L"Office"));  // a name taken as typed
  EXPECT_EQ(Book(), "0 0 Office\r\n0 0 Новая группа\r\n1 3 HOME\r\n0 0 Office\r\n1 3 Вся сеть\r\n");
  TreeViewTree tree = Tree();
  Node second = tree.NextSibling(tree.FirstTopLevel());
  EXPECT_EQ(RecipientTextOf(tree, tree.FirstChild(second)), "HOME*");
  EXPECT_EQ(RecipientTextOf(tree, tree.FirstChild(tree.NextSibling(second))), "*");
}

TEST_F(NetworkImport, CancellingTheBrowseOrTheChooserAddsNothing) {
  Start("0 0 Office\r\n");
  bool chooserOpened = false;
  WhenDialogOpens([&](HWND d) {
    chooserOpened = true;
    Click(d, IDCANCEL);
  });
  Execute(ID_ACT_IMPORT_NET);  // the browse cancelled
  EXPECT_FALSE(chooserOpened);
  EXPECT_EQ(shell.freed, std::vector<PIDLIST_ABSOLUTE>{shell.root});
  shell.pick = "PC7";
  Import(ID_ACT_IMPORT_NET, [](HWND d) { Click(d, IDCANCEL); });
  Import(ID_ACT_IMPORT_NET, [](HWND d) {
    Click(d, IDC_CHK_NEW_GROUP);
    SendMessageW(d, WM_COMMAND, IDCANCEL, 0);  // Esc
  });
  EXPECT_EQ(Book(), "0 0 Office\r\n");
}

TEST_F(NetworkImport, TheChooserTogglesBetweenListAndNameKeepingATypedName) {
  Start("0 0 Office\r\n");
  shell.pick = "PC7";
  std::vector<std::wstring> states;  // list enabled, name enabled, name
  std::wstring caption, label;
  SIZE client{};
  bool labelBeforeList = false;
  Import(ID_ACT_IMPORT_NET, [&](HWND d) {
    HWND combo = GetDlgItem(d, IDC_CMB_GROUP), edit = GetDlgItem(d, IDC_ED_NEW_GROUP);
    auto note = [&] {
      states.push_back(std::wstring(IsWindowEnabled(combo) ? L"list " : L"") +
                       (IsWindowEnabled(edit) ? L"name " : L"") + TextOf(edit));
    };
    caption = TextOf(d);
    label = TextOf(GetDlgItem(d, IDC_SEL_LABEL1));
    client = ClientSize96(d);
    labelBeforeList = GetWindow(GetDlgItem(d, IDC_SEL_LABEL1), GW_HWNDNEXT) == combo;
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
  EXPECT_EQ(states, (std::vector<std::wstring>{L"list ", L"name Новая группа", L"list Склад",
                                               L"name Склад"}));
  EXPECT_EQ(Book(), "0 0 Office\r\n0 0 Склад\r\n1 2 PC7\r\n");
  EXPECT_EQ(caption, L"Импорт");
  // A double blank, and a Latin c in "помеcтить".
  EXPECT_EQ(Narrow(label), Cp("Выберите группу адресатов, в которую вы хотите  поме") + "c" +
                               Cp("тить импортированные адреса"));
  EXPECT_EQ(client.cx, 307);
  EXPECT_EQ(client.cy, 150);
  EXPECT_TRUE(labelBeforeList);  // the label names the list for the keyboard and readers
}

TEST_F(NetworkImport, WithNoGroupListedOkWaitsForANewOne) {
  Start("0 1 ivanov\r\n0 0 Вся сеть\r\n");
  shell.pick = "PC7";
  std::vector<bool> ok;
  Import(ID_ACT_IMPORT_NET, [&](HWND d) {
    ok.push_back(SendMessageW(GetDlgItem(d, IDC_CMB_GROUP), CB_GETCURSEL, 0, 0) == CB_ERR);
    ok.push_back(IsWindowEnabled(GetDlgItem(d, IDOK)));
    Command(d, IDOK);  // Enter: nowhere to go, the dialog stays
    ok.push_back(IsWindowVisible(d));
    Click(d, IDC_CHK_NEW_GROUP);
    ok.push_back(IsWindowEnabled(GetDlgItem(d, IDOK)));
    Click(d, IDC_CHK_NEW_GROUP);
    ok.push_back(IsWindowEnabled(GetDlgItem(d, IDOK)));
    Choose(-1, L"")(d);  // an emptied name: the default one
  });
  EXPECT_EQ(ok, (std::vector<bool>{true, false, true, true, false}));
  EXPECT_EQ(Book(), "0 1 ivanov\r\n0 0 Вся сеть\r\n0 0 Новая группа\r\n1 2 PC7\r\n");
}

TEST_F(NetworkImport, WhereTheShellCannotShowTheNetworkTheNameIsTyped) {
  Start("0 0 Office\r\n");
  std::vector<std::wstring> seen;
  auto typeName = [&](const wchar_t* name) {
    return [&seen, name](HWND d) {
      seen.push_back(TextOf(d));
      for (const wchar_t* text : {L"", L"   ", name}) {
        SetText(d, IDC_NAME_EDIT, text);
        seen.push_back(IsWindowEnabled(GetDlgItem(d, IDOK)) ? L"ok" : L"-");
      }
      WhenDialogOpens(Choose(0));
      Click(d, IDOK);
    };
  };
  shell.folderResult = E_FAIL;  // no network folder at all
  WhenDialogOpens(typeName(L"  PC9 "));
  Execute(ID_ACT_IMPORT_NET);
  shell.folderResult = S_OK;
  shell.listsAnything = false;  // one with nothing in it
  WhenDialogOpens(typeName(L"WORKGROUP"));
  Execute(ID_ACT_IMPORT_GROUP_NET);
  WhenDialogOpens([](HWND d) { Click(d, IDCANCEL); });
  Execute(ID_ACT_IMPORT_NET);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"Выбeрите компьютер", L"-", L"-", L"ok",
                                             L"Выбeрите группу", L"-", L"-", L"ok"}));
  EXPECT_EQ(shell.browsed, 0);
  EXPECT_EQ(Book(), "0 0 Office\r\n1 2 PC9\r\n1 3 WORKGROUP\r\n");
}

// A workgroup's recipient gets its "*" from the node ("HOME*" typed would send to "HOME**"),
// and a computer is called by its bare name, not as a path ("\\\\PC9").
TEST_F(NetworkImport, ATypedNameKeepsNeitherTheWorkgroupsStarNorTheComputersBackslashes) {
  Start("0 0 Office\r\n");
  shell.listsAnything = false;
  std::vector<bool> ok;
  auto typeName = [&](std::vector<const wchar_t*> texts) {
    return [&ok, texts](HWND d) {
      for (const wchar_t* text : texts) {
        SetText(d, IDC_NAME_EDIT, text);
        ok.push_back(IsWindowEnabled(GetDlgItem(d, IDOK)));
      }
      WhenDialogOpens(Choose(0));
      Click(d, IDOK);
    };
  };
  WhenDialogOpens(typeName({L"*", L" ** ", L"HOME*"}));
  Execute(ID_ACT_IMPORT_GROUP_NET);
  WhenDialogOpens(typeName({L"\\\\", L"\\\\PC9"}));
  Execute(ID_ACT_IMPORT_NET);
  EXPECT_EQ(ok, (std::vector<bool>{false, false, true, false, true}));
  EXPECT_EQ(Book(), "0 0 Office\r\n1 3 HOME\r\n1 2 PC9\r\n");
  TreeViewTree tree = Tree();
  EXPECT_EQ(RecipientTextOf(tree, tree.FirstTopLevel()), "HOME*, PC9");
}

TEST_F(NetworkImport, WinesShellShowsNoNetworkSoTheNameIsTyped) {
  services.networkShell = &SystemNetworkShell();
  Start("0 0 Office\r\n");
  std::wstring title;
  WhenDialogOpens([&](HWND d) {
    title = TextOf(d);
    SetText(d, IDC_NAME_EDIT, L"ПК-12");
    WhenDialogOpens(Choose(0));
    Click(d, IDOK);
  });
  Execute(ID_ACT_IMPORT_NET);
  EXPECT_EQ(title, L"Выбeрите компьютер");
  EXPECT_EQ(Book(), "0 0 Office\r\n1 2 ПК-12\r\n");
}
