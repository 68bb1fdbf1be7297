// The address book in the real main window: loaded at start, saved at exit, clicked into
// recipients, edited and sorted. `tree` reads the control itself, item by item; the pane
// answers from its copy of the book, which must show the same.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <random>

#include "addressbook/recipient_file.h"
#include "addressbook/tree_view_win.h"
#include "base/text_win.h"
#include "res/resource.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class AddressTreeWindow : public ::testing::Test, public FormFixture {
 protected:
  // Writes the book (UTF-8 here, Windows-1251 on disk) and starts the window on it.
  void Start(const char* book) {
    dir.Write("Korvel.dat", Cp(book));
    Create();
    tree = std::make_unique<TreeViewTree>(form->AddressBook().TreeAddresses);
  }
  Node Find(const char* text) {
    Node found = nullptr;
    ForEachNode(*tree, [&](Node n, int) {
      if (!found && tree->Text(n) == Cp(text)) found = n;
    });
    return found;
  }
  void Select(Node n) {
    TreeView_SelectItem(form->AddressBook().TreeAddresses, TreeViewTree::Item(n));
  }
  // A click of the mouse on the node's text.
  void Click(Node n) {
    RECT r;
    TreeView_GetItemRect(form->AddressBook().TreeAddresses, TreeViewTree::Item(n), &r, TRUE);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(form->AddressBook().TreeAddresses, &p);
    INPUT in[3] = {};
    for (INPUT& i : in) {
      i.type = INPUT_MOUSE;
      i.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
      i.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    // Apart by more than the double-click time, so that each click is one of its own.
    PumpUntil([] { return false; }, std::chrono::milliseconds(GetDoubleClickTime() + 50));
    SendInput(3, in, sizeof(INPUT));
  }
  // What the recipient field shows once the click has been handled.
  std::string RecipientsAfterClick(const char* expected) {
    PumpUntil([&] { return Recipients() == Cp(expected); }, std::chrono::seconds(3));
    return Recipients();
  }
  std::string Recipients() { return GetWindowText1251(form->Compose().edRecipient); }
  bool Enabled(int id) {
    form->UpdateCommands();
    return form->CommandEnabled(id);
  }
  std::vector<std::string> ChildrenOf(Node n) {
    std::vector<std::string> texts;
    for (Node c = tree->FirstChild(n); c; c = tree->NextSibling(c)) texts.push_back(tree->Text(c));
    return texts;
  }
  // Every node's depth, kind and text, from the top.
  static std::string Outline(const AddressTree& t) {
    std::string out;
    ForEachNode(t, [&](Node n, int depth) {
      out += std::to_string(depth) + " " + std::to_string(t.Kind(n)) + " " + t.Text(n) + "\n";
    });
    return out;
  }
  // The pane's copy of the book is what the control shows, node for node.
  void ExpectTheCopyIsTheControl() {
    EXPECT_EQ(Outline(form->AddressBook().Tree()), Outline(*tree));
    EXPECT_EQ(form->AddressBook().Tree().Count(),
              TreeView_GetCount(form->AddressBook().TreeAddresses));
  }
  std::unique_ptr<TreeViewTree> tree;
};

}  // namespace

TEST_F(AddressTreeWindow, LoadedBookTurnsClicksIntoRecipients) {
  Start(
      "0 0 Бухгалтерия\r\n1 1 ivanov (Иванов Иван)\r\n1 2 PC7\r\n1 3 HOME\r\n"
      "0 0 Пустая\r\n0 0 Сеть\r\n1 3 Вся сеть\r\n1 1 Вся сеть\r\n");
  ShowWindow(form->Handle(), SW_SHOW);
  ForEachNode(*tree, [&](Node n, int) {
    TreeView_Expand(form->AddressBook().TreeAddresses, TreeViewTree::Item(n), TVE_EXPAND);
  });
  Pump();
  Node group = Find("Бухгалтерия");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(tree->Kind(Find("PC7")), kComputerNode);

  // A real click of the mouse selects the node and fills the field.
  Click(group);
  EXPECT_EQ(RecipientsAfterClick("ivanov, PC7, HOME*"), "ivanov, PC7, HOME*");
  EXPECT_EQ(TreeViewTree::Item(tree->Selected()), TreeViewTree::Item(group));

  auto clickOn = [&](const char* text) {
    Select(Find(text));
    form->AddressBook().TreeAddressesClick();
    return Recipients();
  };
  EXPECT_EQ(clickOn("HOME"), "HOME*");
  EXPECT_EQ(clickOn("Пустая"), "");
  EXPECT_EQ(clickOn("Сеть"), Cp("*, Вся сеть"));
  EXPECT_EQ(clickOn("ivanov (Иванов Иван)"), "ivanov");
  TreeView_SelectItem(form->AddressBook().TreeAddresses, nullptr);
  form->AddressBook().TreeAddressesClick();
  EXPECT_EQ(Recipients(), "");

  // Moving the selection by keyboard leaves the field alone; typing in it stays.
  SetWindowTextW(form->Compose().edRecipient, L"typed");
  Select(group);
  EXPECT_EQ(Recipients(), "typed");
}

TEST_F(AddressTreeWindow, AddingDeletingAndTheProtectedWholeNetworkNode) {
  Start("0 0 A\r\n1 1 a1\r\n0 3 Вся сеть\r\n0 2 LONE\r\n");
  EXPECT_FALSE(Enabled(ID_ACT_ADD_USER));
  EXPECT_FALSE(Enabled(ID_ACT_REMOVE_GROUP));

  // An address selected: the new address goes to the end of its group, empty, in editing.
  Select(Find("a1"));
  EXPECT_TRUE(Enabled(ID_ACT_ADD_USER));
  form->ExecuteCommand(ID_ACT_ADD_USER);
  Node a = Find("A");
  EXPECT_EQ(ChildrenOf(a), (std::vector<std::string>{"a1", ""}));
  Node added = tree->Selected();
  EXPECT_EQ(tree->Kind(added), kAddressNode);
  EXPECT_EQ(TreeViewTree::Item(tree->Parent(added)), TreeViewTree::Item(a));
  HWND edit = TreeView_GetEditControl(form->AddressBook().TreeAddresses);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"petrov");
  TreeView_EndEditLabelNow(form->AddressBook().TreeAddresses, FALSE);
  EXPECT_EQ(tree->Text(added), "petrov");

  // A new group goes to the end of the top level.
  form->ExecuteCommand(ID_ACT_ADD_GROUP);
  Node group = tree->Selected();
  EXPECT_EQ(tree->Kind(group), kGroupNode);
  EXPECT_EQ(tree->NextSibling(group), nullptr);
  EXPECT_EQ(tree->Parent(group), nullptr);
  TreeView_EndEditLabelNow(form->AddressBook().TreeAddresses, TRUE);  // cancelled: stays, empty
  EXPECT_EQ(tree->Text(group), "");

  // The whole-network node: no add, no delete, no rename.
  Node whole = Find("Вся сеть");
  Select(whole);
  EXPECT_FALSE(Enabled(ID_ACT_ADD_USER));
  EXPECT_FALSE(Enabled(ID_ACT_REMOVE_GROUP));
  EXPECT_EQ(TreeView_EditLabel(form->AddressBook().TreeAddresses, TreeViewTree::Item(whole)),
            nullptr);
  form->ExecuteCommand(ID_ACT_REMOVE_GROUP);
  EXPECT_NE(Find("Вся сеть"), nullptr);

  // A top-level node that is no group has no group to add an address to.
  Select(Find("LONE"));
  EXPECT_FALSE(Enabled(ID_ACT_ADD_USER));
  EXPECT_TRUE(Enabled(ID_ACT_REMOVE_GROUP));

  // Any other node may be renamed to anything, "Вся сеть" included: then it is protected.
  Select(a);
  HWND aEdit = TreeView_EditLabel(form->AddressBook().TreeAddresses, TreeViewTree::Item(a));
  ASSERT_NE(aEdit, nullptr);
  SetWindowTextW(aEdit, L"Вся сеть");
  TreeView_EndEditLabelNow(form->AddressBook().TreeAddresses, FALSE);
  EXPECT_FALSE(Enabled(ID_ACT_REMOVE_GROUP));

  // Deleting a group takes its addresses with it.
  Select(Find("LONE"));
  form->ExecuteCommand(ID_ACT_REMOVE_GROUP);
  EXPECT_EQ(Find("LONE"), nullptr);
  EXPECT_EQ(TreeView_GetCount(form->AddressBook().TreeAddresses), 5u);
  ExpectTheCopyIsTheControl();
}

TEST_F(AddressTreeWindow, SortingOrdersAddressesThenNamesInEveryGroupButNotTheTopLevel) {
  Start(
      "0 0 Z\r\n1 2 PC7\r\n1 1 10.0.0.2\r\n1 1 192.168.0.10\r\n1 1 192.168.0.9\r\n"
      "1 1 admin\r\n1 1 192.168.0.7 (бухгалтерия)\r\n1 0 Inner\r\n2 1 b\r\n2 1 a\r\n"
      "0 0 A\r\n1 3 HOME\r\n1 1 255.255.255.255\r\n1 1 0x7f.1\r\n");
  form->ExecuteCommand(ID_ACT_SORT_ADDRESSES);
  EXPECT_EQ(tree->Text(tree->FirstTopLevel()), "Z");
  EXPECT_EQ(ChildrenOf(Find("Z")),
            (std::vector<std::string>{"10.0.0.2", Cp("192.168.0.7 (бухгалтерия)"), "192.168.0.9",
                                      "192.168.0.10", "admin", "Inner", "PC7"}));
  EXPECT_EQ(ChildrenOf(Find("Inner")), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ChildrenOf(Find("A")), (std::vector<std::string>{"0x7f.1", "255.255.255.255", "HOME"}));
  ExpectTheCopyIsTheControl();
}

TEST_F(AddressTreeWindow, TheBookIsSavedAtExitAndABadFileIsKeptBeside) {
  Start("0 0 A\r\n1 2 PC1\r\n1 1 ivanov\r\n0 0 B\r\n");
  Select(Find("B"));
  form->ExecuteCommand(ID_ACT_REMOVE_GROUP);
  Close();
  EXPECT_EQ(dir.Read("Korvel.dat"), "0 0 A\r\n1 2 PC1\r\n1 1 ivanov\r\n");
  EXPECT_FALSE(dir.Exists("Korvel.dat.bak"));
  form.reset();

  const std::string bad = "0 0 A\r\n1 2 PC1\r\nbad 1 x\r\n0 0 B\r\n";
  dir.Write("Korvel.dat", bad);
  Create();
  EXPECT_EQ(messages, std::vector<std::string>{"Invalid numeric input"});
  EXPECT_EQ(TreeView_GetCount(form->AddressBook().TreeAddresses), 2u);
  // The rest of the start-up does not hang on the book: the sender history and the title.
  EXPECT_EQ(SendMessageW(form->Compose().edSender, CB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(TextOf(form->Handle()), Widen(ApplicationTitle()));
  Close();
  EXPECT_EQ(dir.Read("Korvel.dat.bak"), bad);
  EXPECT_EQ(dir.Read("Korvel.dat"), "0 0 A\r\n1 2 PC1\r\n");
  const std::string kept =
      Cp("Адресная книга была прочитана не полностью. Её прежний файл сохранён как ");
  EXPECT_EQ(messages,
            (std::vector<std::string>{"Invalid numeric input", kept + dir.Path("Korvel.dat.bak")}));
  form.reset();

  // Another book that cannot be read whole: the first copy stays, this one is kept beside it.
  const std::string worse = "0 0 C\r\nbad 1 y\r\n";
  dir.Write("Korvel.dat", worse);
  messages.clear();
  Create();
  Close();
  EXPECT_EQ(dir.Read("Korvel.dat.bak"), bad);
  EXPECT_EQ(dir.Read("Korvel.dat.2.bak"), worse);
  EXPECT_EQ(dir.Read("Korvel.dat"), "0 0 C\r\n");
  EXPECT_EQ(messages, (std::vector<std::string>{"Invalid numeric input",
                                                kept + dir.Path("Korvel.dat.2.bak")}));
}

TEST_F(AddressTreeWindow, ARefusedSaveLeavesTheFileAsItWasAndSaysSo) {
  Start("0 0 A\r\n");
  std::wstring path = WidePath(dir.Path("Korvel.dat"));
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  form->ExecuteCommand(ID_ACT_ADD_GROUP);
  TreeView_EndEditLabelNow(form->AddressBook().TreeAddresses, TRUE);
  Close();
  EXPECT_EQ(dir.Read("Korvel.dat"), "0 0 A\r\n");
  EXPECT_EQ(messages, std::vector<std::string>{"Unable to write to " + dir.Path("Korvel.dat")});
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(AddressTreeWindow, WhatTheProgramDoesNotKnowAndLongTextsSurviveTheRun) {
  // A hand-edited kind outside 0..3 and a text longer than any fixed buffer.
  std::string longText(1000, 'x');
  longText.replace(0, 10, "10.0.0.9 (");
  Start(("0 0 A\r\n1 7 odd\r\n1 2 PC1\r\n1 1 " + longText + "\r\n1 -4 z\r\n").c_str());
  EXPECT_EQ(tree->Kind(Find("odd")), kAddressNode);
  EXPECT_EQ(tree->Text(Find(longText.c_str())), longText);
  form->ExecuteCommand(ID_ACT_SORT_ADDRESSES);
  Select(Find("A"));
  form->AddressBook().TreeAddressesClick();
  EXPECT_EQ(Recipients(), "10.0.0.9, odd, PC1, z");
  Close();
  EXPECT_EQ(dir.Read("Korvel.dat"),
            "0 0 A\r\n1 1 " + longText + "\r\n1 7 odd\r\n1 2 PC1\r\n1 -4 z\r\n");
}

TEST_F(AddressTreeWindow, TheRealTreeRanksAddressesByNumberAndNamesByTheLocale) {
  // By number, not by the bytes as they lie in memory: 9.0.0.2 before 10.0.0.1.
  // Lower case first among equal letters, from the system's collation.
  Start("0 0 G\r\n1 1 10.0.0.1\r\n1 1 PC7\r\n1 1 9.0.0.2\r\n1 1 pc7\r\n1 1 pc10\r\n");
  form->ExecuteCommand(ID_ACT_SORT_ADDRESSES);
  EXPECT_EQ(ChildrenOf(Find("G")),
            (std::vector<std::string>{"9.0.0.2", "10.0.0.1", "pc10", "pc7", "PC7"}));
}

TEST_F(AddressTreeWindow, AddressesThatRankEqualKeepTheirOrderInTheControlAndTheCopy) {
  Start(
      "0 0 G\r\n1 1 10.0.0.1 (b)\r\n1 1 pc\r\n1 1 10.0.0.1 (a)\r\n1 2 10.0.0.1\r\n"
      "1 1 9.0.0.9\r\n");
  form->ExecuteCommand(ID_ACT_SORT_ADDRESSES);
  EXPECT_EQ(ChildrenOf(Find("G")), (std::vector<std::string>{"9.0.0.9", "10.0.0.1 (b)",
                                                             "10.0.0.1 (a)", "10.0.0.1", "pc"}));
  ExpectTheCopyIsTheControl();
}

// The book is given to the control a level at a time: it must still stand there as in its
// file, at any depth and with any steps back up.
TEST_F(AddressTreeWindow, ALoadedBookStandsInTheControlAsInItsFile) {
  std::mt19937 random(17);
  std::string book;
  int depth = 0;
  for (int i = 0; i < 600; ++i) {
    book += std::to_string(depth) + " " + std::to_string(i % 4) + " n" + std::to_string(i) + "\r\n";
    depth = static_cast<int>(random() % static_cast<unsigned>(depth + 2));
  }
  Start(book.c_str());
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(SerializeTree(*tree), book);
  ExpectTheCopyIsTheControl();
}

// Under Wine every message about an item searches all the items: the save, at exit,
// reads the pane's copy and asks the control nothing.
TEST_F(AddressTreeWindow, TheBookIsSavedWithoutAskingTheControlAboutAnyItem) {
  std::string book;
  for (int i = 0; i < 300; ++i)
    book += (i % 30 == 0 ? "0 0 g" : "1 2 pc") + std::to_string(i) + "\r\n";
  Start(book.c_str());
  static int asked = 0;
  static WNDPROC control = nullptr;
  HWND view = form->AddressBook().TreeAddresses;
  control = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      view, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg >= TV_FIRST && msg < TV_FIRST + 0x100) ++asked;
        return CallWindowProcW(control, h, msg, wp, lp);
      })));
  asked = 0;
  form->AddressBook().SaveAddressBook(dir.Path("saved.dat"));
  SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control));
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(dir.Read("saved.dat"), book);
}

TEST_F(AddressTreeWindow, ABookNestedDeeperThanAnyStackCanBeAddedToAndSaved) {
  // The tree control takes a node down one stack frame per level: under Wine 12,000
  // levels are enough to overflow. (Walks of the program's own are checked much deeper,
  // natively; here every call on an item costs a search of all items.)
  constexpr int kDepth = 16000;
  std::string book;
  for (int d = 0; d < kDepth; ++d) book += std::to_string(d) + " 0 g\r\n";
  dir.Write("Korvel.dat", book);
  Create();
  tree = std::make_unique<TreeViewTree>(form->AddressBook().TreeAddresses);
  ASSERT_EQ(TreeView_GetCount(form->AddressBook().TreeAddresses), static_cast<UINT>(kDepth));
  Select(tree->FirstTopLevel());
  form->ExecuteCommand(ID_ACT_ADD_USER);
  TreeView_EndEditLabelNow(form->AddressBook().TreeAddresses, TRUE);
  Close();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dir.Read("Korvel.dat"), book + "1 1 \r\n");
  form.reset();

  // Deleting the top of it takes the whole chain along.
  Create();
  tree = std::make_unique<TreeViewTree>(form->AddressBook().TreeAddresses);
  Select(tree->FirstTopLevel());
  form->ExecuteCommand(ID_ACT_REMOVE_GROUP);
  EXPECT_EQ(TreeView_GetCount(form->AddressBook().TreeAddresses), 0u);
}
