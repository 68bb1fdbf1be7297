// The options dialog over the real main window: what it shows, the Tab order, OK and
// Cancel on WhatSend and the sender box, and a new choice reaching a running job.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_win.h"
#include "res/resource.h"
#include "tests/core/send_fakes.h"
#include "tests/win/control_text.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;

namespace {

class OptionsDialog : public ::testing::Test, public FormFixture {
 protected:
  TKorvelForm& Start(int whatSend) {
    dir.Write("Korvel.ini", "[Defaults]\r\nWhatSend=" + std::to_string(whatSend) +
                                "\r\n[Sender]\r\nSender1=Ivan\r\nSender2=Petr\r\n");
    return Create();
  }
  // Opens the dialog, checks which item it shows, picks `pick` (-1: none) and closes it
  // with `close`: IDOK, IDCANCEL or VK_ESCAPE.
  void Choose(int shown, int pick, int close) {
    WhenDialogOpens([=](HWND d) {
      EXPECT_EQ(IsDlgButtonChecked(d, IDC_OPT_OWN_NAME), shown == 0 ? 1u : 0u);
      EXPECT_EQ(IsDlgButtonChecked(d, IDC_OPT_OTHER_NAME), shown == 1 ? 1u : 0u);
      if (pick >= 0)
        SendDlgItemMessageW(d, pick == 0 ? IDC_OPT_OWN_NAME : IDC_OPT_OTHER_NAME, BM_CLICK, 0, 0);
      if (close == VK_ESCAPE)
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
      else
        SendDlgItemMessageW(d, close, BM_CLICK, 0, 0);
    });
    form->ExecuteCommand(ID_ACT_OPTIONS);
    EXPECT_TRUE(OpenDialogs().empty());
  }
  void ExpectSenderBox(bool enabled) {
    HWND sender = form->Compose().edSender;
    EXPECT_EQ(IsWindowEnabled(sender) != 0, enabled);
    EXPECT_EQ(form->Compose().SenderColor(), GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    // Its text and its list stay whatever the choice.
    EXPECT_EQ(GetWindowText1251(sender), "Ivan");
    EXPECT_EQ(form->Compose().SenderHistory(), (std::vector<std::string>{"Ivan", "Petr"}));
  }
};

}  // namespace

TEST_F(OptionsDialog, ShowsItsTextsColoursAndTabOrderWithOkFocused) {
  Start(1);
  WhenDialogOpens([&](HWND d) {
    EXPECT_EQ(TextOf(d), L"Настройки программы");
    RECT client;
    GetClientRect(d, &client);
    EXPECT_EQ(client.right, 313);
    EXPECT_EQ(client.bottom, 163);
    const std::pair<int, const wchar_t*> texts[] = {
        {IDC_OPT_WHAT_SEND, L"Отправка сообщений"},
        {IDC_OPT_OWN_NAME, L"Отправлять от своего имени"},
        {IDC_OPT_OTHER_NAME, L"Отправлять от другого имени"},
        {IDC_OPT_LABEL3, L"Вы не можете отправить сообщение от имени уже существующего в сети"},
        {IDOK, L"OK"},
        {IDCANCEL, L"Cancel"}};
    for (auto [id, text] : texts) {
      EXPECT_EQ(TextOf(GetDlgItem(d, id)), text) << id;
      EXPECT_TRUE(TextFits(GetDlgItem(d, id), id == IDC_OPT_LABEL3)) << id;
    }
    // OK, Cancel, then the choice; OK has the focus and answers Enter.
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDOK));
    HWND next = GetNextDlgTabItem(d, GetDlgItem(d, IDOK), FALSE);
    EXPECT_EQ(next, GetDlgItem(d, IDCANCEL));
    EXPECT_EQ(GetNextDlgTabItem(d, next, FALSE), GetDlgItem(d, IDC_OPT_OTHER_NAME));
    EXPECT_TRUE(SendMessageW(GetDlgItem(d, IDOK), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);

    // The warning in maroon.
    HDC dc = GetDC(d);
    SendMessageW(d, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_OPT_LABEL3)));
    EXPECT_EQ(GetTextColor(dc), RGB(128, 0, 0));
    ReleaseDC(d, dc);
    SendDlgItemMessageW(d, IDCANCEL, BM_CLICK, 0, 0);
  });
  form->ExecuteCommand(ID_ACT_OPTIONS);
  EXPECT_TRUE(OpenDialogs().empty());
}

TEST_F(OptionsDialog, OkStoresTheChoiceAndSetsTheSenderBoxCancelChangesNothing) {
  Start(0);
  ExpectSenderBox(false);
  Choose(0, 1, IDOK);
  EXPECT_EQ(form->Values().WhatSend, 1);
  ExpectSenderBox(true);
  // In memory only: the file has it after the exit.
  EXPECT_EQ(IniFile(dir.Path("Korvel.ini")).ReadInteger("Defaults", "WhatSend", -1), 0);

  Choose(1, 0, IDCANCEL);
  EXPECT_EQ(form->Values().WhatSend, 1);
  ExpectSenderBox(true);
  Choose(1, 0, VK_ESCAPE);
  EXPECT_EQ(form->Values().WhatSend, 1);

  Choose(1, 0, IDOK);
  EXPECT_EQ(form->Values().WhatSend, 0);
  ExpectSenderBox(false);
}

TEST_F(OptionsDialog, AStoredSevenShowsTheSecondItemAndSurvivesCancel) {
  Start(7);
  Choose(1, -1, IDCANCEL);
  EXPECT_EQ(form->Values().WhatSend, 7);
  Choose(1, 0, VK_ESCAPE);
  EXPECT_EQ(form->Values().WhatSend, 7);
  Close();
  EXPECT_EQ(IniFile(dir.Path("Korvel.ini")).ReadInteger("Defaults", "WhatSend", -1), 7);

  form.reset();
  Start(7);
  Choose(1, -1, IDOK);
  EXPECT_EQ(form->Values().WhatSend, 1);
  Close();
  EXPECT_EQ(IniFile(dir.Path("Korvel.ini")).ReadInteger("Defaults", "WhatSend", -1), 1);
}

TEST_F(OptionsDialog, AChoiceMadeWhileAJobRunsReachesTheWorkersThatFollow) {
  auto messenger = std::make_shared<ScriptedMessenger>();
  Gate gate;
  messenger->answer = [&](const ScriptedMessenger::Call& c) {
    if (c.kind == ScriptedMessenger::kSend && c.name == u"A") gate.Wait();
    return 0u;
  };
  services.newJobMessenger = [&] { return messenger; };
  dir.Write("Korvel.ini", "[Defaults]\r\nMaxThreads=1\r\n[Sender]\r\nSender1=Ivan\r\n");
  Create();
  SetWindowTextW(form->Compose().edRecipient, L"A B");
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(PumpUntil([&] { return messenger->Busy() == 1; }));
  // The options are not a send command: they open while the job runs.
  Choose(1, 0, IDOK);
  gate.Open();
  ASSERT_TRUE(PumpUntil([&] { return form->SendInProgress() == 0; }));
  auto sends = messenger->Sends();
  ASSERT_EQ(sends.size(), 2u);
  EXPECT_EQ(sends[0].from, u"Ivan");  // A reached its policy before the change
  EXPECT_FALSE(sends[1].from.has_value());
}
