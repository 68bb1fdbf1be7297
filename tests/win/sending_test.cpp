// Sending in the real main window, through a scripted transport: the log a job fills,
// the commands while a job runs, the log's bound and clearing, Ctrl+Enter, the repeat
// dialog, the system's transport under Wine, and a window closed under a running job.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <chrono>
#include <initializer_list>

#include "base/text.h"
#include "base/text_win.h"
#include "res/resource.h"
#include "sending/failure_reasons.h"
#include "sending/system_messenger_win.h"
#include "sending/transport_win.h"
#include "sending/wire_messenger.h"
#include "tests/core/send_fakes.h"
#include "tests/win/control_text.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;
using namespace std::chrono_literals;

namespace {

// The log texts as Windows-1251 bytes: "Cообщение " begins with a Latin C.
const std::string kMessage = "C\xEE\xEE\xE1\xF9\xE5\xED\xE8\xE5 ";
const std::string kSent = " \xEE\xF2\xEF\xF0\xE0\xE2\xEB\xE5\xED\xEE";
const std::string kNotSent = " \xED\xE5" + kSent;

using Kind = ScriptedMessenger::Kind;

class SendingWindow : public ::testing::Test, public FormFixture {
 protected:
  SendingWindow() {
    services.newJobMessenger = [this] { return messenger; };
  }
  // The job's clock moves only by its own sleeps: pauses of seconds pass at once.
  void UseFakeClock() { services.jobSystem = clock; }
  TKorvelForm& Start(const std::string& ini = "") {
    if (!ini.empty()) dir.Write("Korvel.ini", ini);
    TKorvelForm& f = Create();
    SetWindowText1251(f.Compose().edRecipient, "PC7");
    return f;
  }
  bool Running() { return form->SendInProgress() != 0; }
  bool JobEnds() {
    return PumpUntil([&] { return !Running(); });
  }
  bool Enabled(int id) {
    form->UpdateCommands();
    return form->CommandEnabled(id);
  }
  // The three commands that start or prepare a job share one rule.
  bool AllThreeEnabled() {
    const bool send = Enabled(ID_ACT_SEND);
    EXPECT_EQ(Enabled(ID_ACT_SEND_TIMER), send);
    EXPECT_EQ(Enabled(ID_ACT_NEW), send);
    return send;
  }
  HWND List() { return form->Log().lvLog; }
  int Rows() { return ListView_GetItemCount(List()); }
  // A row as the list shows it, asked through the main window like any painting.
  std::string Info(int row) {
    wchar_t buf[512] = {};
    ListView_GetItemText(List(), row, 1, buf, 512);
    return Narrow(buf);
  }
  int Mark(int row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ListView_GetItem(List(), &item);
    return item.iImage;
  }
  // A line's tip as the list asks the main window for it when the mouse rests there.
  std::wstring Tip(int row) {
    wchar_t buf[512] = L"folded text";
    NMLVGETINFOTIPW tip{};
    tip.hdr.hwndFrom = List();
    tip.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(List()));
    tip.hdr.code = LVN_GETINFOTIPW;
    tip.pszText = buf;
    tip.cchTextMax = 512;
    tip.iItem = row;
    tip.iSubItem = 1;
    SendMessageW(form->Handle(), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
    return buf;
  }
  // What the hover tip holds once the mouse has moved onto line `row`.
  std::wstring HoverText(HWND tip, int row) {
    RECT line{};
    ListView_GetItemRect(List(), row, &line, LVIR_BOUNDS);
    SendMessageW(List(), WM_MOUSEMOVE, 0, MAKELPARAM(line.left + 40, (line.top + line.bottom) / 2));
    wchar_t buf[512] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = GetParent(List());
    tool.uId = reinterpret_cast<UINT_PTR>(List());
    tool.lpszText = buf;
    SendMessageW(tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return buf;
  }
  std::vector<std::string> Infos() {
    std::vector<std::string> rows;
    for (int i = 0; i < Rows(); ++i) rows.push_back(Info(i));
    return rows;
  }
  // Sends `key` to the message text with `held` keys down.
  void KeyInMessage(std::initializer_list<int> held, WPARAM key) {
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    std::copy(saved, saved + 256, state);
    for (int vk : {VK_CONTROL, VK_SHIFT, VK_MENU, VK_LBUTTON}) state[vk] = 0;
    for (int vk : held) state[vk] = 0x80;
    SetKeyboardState(state);
    SendMessageW(form->Compose().mMessage, WM_KEYDOWN, key, 0);
    SetKeyboardState(saved);
  }
  std::vector<std::string> History() { return form->Compose().SenderHistory(); }

  std::shared_ptr<ScriptedMessenger> messenger = std::make_shared<ScriptedMessenger>();
  std::shared_ptr<FakeJobSystem> clock = std::make_shared<FakeJobSystem>();
};

// What a screen reader gets as the description of `child` (1 for the first line).
std::wstring AccessibleDescription(HWND list, LONG child) {
  return AccessibleText(list, Accessible::kDescription, child);
}

}  // namespace

TEST_F(SendingWindow, AMixedJobFillsTheLogNewestFirstWithMarksTextsAndDates) {
  UseFakeClock();
  messenger->answer = [](const ScriptedMessenger::Call& c) {
    return c.kind == Kind::kSend && c.name == u"BAD" ? 53u : 0u;
  };
  Start("[Defaults]\r\nMaxThreads=1\r\nWhatSend=0\r\n");
  SetWindowText1251(form->Compose().edRecipient, "PC1, BAD,\"PC 3\"");
  SetWindowText1251(form->Compose().mMessage, Cp("Привет\r\nмир"));
  SetWindowText1251(form->Compose().edSender, Cp("Иван"));
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(JobEnds());

  EXPECT_EQ(Infos(),
            (std::vector<std::string>{kMessage + "PC 3" + kSent, kMessage + "BAD" + kNotSent,
                                      kMessage + "PC1" + kSent}));
  EXPECT_EQ(Mark(0), 1);
  EXPECT_EQ(Mark(1), 0);
  EXPECT_EQ(Mark(2), 1);
  // The failed line tells why as its tip and its description; the others keep theirs.
  EXPECT_TRUE(ListView_GetExtendedListViewStyle(List()) & LVS_EX_INFOTIP);
  const std::u16string reason = FailureReason(53);
  EXPECT_EQ(Tip(1), std::wstring(reason.begin(), reason.end()));
  EXPECT_NE(Tip(1).find(L"53"), std::wstring::npos);
  EXPECT_NE(Tip(1).find(L"не найден в сети"), std::wstring::npos);
  EXPECT_EQ(Tip(0), L"folded text");
  EXPECT_EQ(form->Log().Reason(1), Tip(1));
  // A screen reader gets the same as the line's description where the system annotates.
  if (form->Log().ReasonsAnnotated()) {
    EXPECT_EQ(AccessibleDescription(List(), 2), Tip(1));
  }
  // Where the list shows no tips of its own (Wine), the mouse over a line brings its reason.
  if (HWND tip = form->Log().HoverTip()) {
    EXPECT_EQ(HoverText(tip, 1), Tip(1));
    EXPECT_EQ(HoverText(tip, 0), L"");
  }
  // The user's short date, a blank, the user's long time.
  SYSTEMTIME st{2024, 5, 5, 17, 9, 5, 3, 0};
  wchar_t date[64], time[64], shown[128];
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 64);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 64);
  ListView_GetItemText(List(), 2, 0, shown, 128);
  EXPECT_EQ(std::wstring(shown), std::wstring(date) + L" " + time);
  // On a Russian system that is the day first. (Wine keeps the formats of the first locale
  // a session ran under, whatever the later programs' locale: ask for the format itself.)
  wchar_t format[32] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format, 32);
  if (std::wstring(format) == L"dd.MM.yyyy") {
    EXPECT_EQ(std::wstring(shown).substr(0, 11), L"17.05.2024 ");
  }

  // What went out: the message, the computer's own name as sender; nothing is shown.
  auto sends = messenger->Sends();
  ASSERT_EQ(sends.size(), 3u);
  EXPECT_FALSE(sends[0].from.has_value());
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(sends[0].bytes.data())),
            u"Привет\r\nмир");
  EXPECT_EQ(History().at(0), Cp("Иван"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(SendingWindow, TheCommandsWaitForTheJobsLastPause) {
  Gate gate;
  messenger->answer = [&](const ScriptedMessenger::Call& c) {
    if (c.kind == Kind::kSend) gate.Wait();
    return 0u;
  };
  Start();
  SetWindowText1251(form->Compose().mMessage, "text");
  WhenDialogOpens([](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_PARAM_EDIT1, L"1");
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  const auto t0 = std::chrono::steady_clock::now();
  form->ExecuteCommand(ID_ACT_SEND_TIMER);
  EXPECT_TRUE(Running());
  EXPECT_FALSE(AllThreeEnabled());
  // While disabled, none of them does anything: no second job, no clearing.
  form->ExecuteCommand(ID_ACT_NEW);
  KeyInMessage({VK_CONTROL}, VK_RETURN);
  EXPECT_EQ(GetWindowText1251(form->Compose().mMessage), "text");
  ASSERT_TRUE(PumpUntil([&] { return messenger->Busy() == 1; }));

  // The attempt is logged; the pause that fills its second still holds the job.
  gate.Open();
  ASSERT_TRUE(PumpUntil([&] { return Rows() == 1; }));
  EXPECT_FALSE(AllThreeEnabled());
  ASSERT_TRUE(JobEnds());
  EXPECT_GE(std::chrono::steady_clock::now() - t0, 990ms);
  EXPECT_TRUE(AllThreeEnabled());
  EXPECT_EQ(messenger->Sends().size(), 1u);

  // "Новое" empties recipient and message, never the sender.
  SetWindowText1251(form->Compose().edSender, "me");
  form->ExecuteCommand(ID_ACT_NEW);
  EXPECT_EQ(GetWindowText1251(form->Compose().edRecipient), "");
  EXPECT_EQ(GetWindowText1251(form->Compose().mMessage), "");
  EXPECT_EQ(GetWindowText1251(form->Compose().edSender), "me");
}

TEST_F(SendingWindow, TheLogKeepsMaxLineLogLinesAndClearsWhileAJobRuns) {
  UseFakeClock();
  Start("[Defaults]\r\nMaxThreads=1\r\nMaxLineLog=3\r\n");
  SetWindowText1251(form->Compose().edRecipient, "A B C D E");
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(JobEnds());
  EXPECT_EQ(Infos(), (std::vector<std::string>{kMessage + "E" + kSent, kMessage + "D" + kSent,
                                               kMessage + "C" + kSent}));

  // Cleared between two hand-overs of a running job, the list takes the rest as usual.
  Gate gate;
  messenger->answer = [&](const ScriptedMessenger::Call& c) {
    if (c.kind == Kind::kSend && c.name == u"G") gate.Wait();
    return 0u;
  };
  SetWindowText1251(form->Compose().edRecipient, "F G");
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(PumpUntil([&] { return Info(0) == kMessage + "F" + kSent; }));
  form->ExecuteCommand(ID_ACT_CLEAR_LOG);
  EXPECT_EQ(Rows(), 0);
  gate.Open();
  ASSERT_TRUE(JobEnds());
  EXPECT_EQ(Infos(), std::vector<std::string>{kMessage + "G" + kSent});
}

TEST_F(SendingWindow, TheListCatchesUpWithinItsRedrawDelayAndTheSelectionStaysOnItsLine) {
  UseFakeClock();
  Start();
  ShowWindow(form->Handle(), SW_SHOW);
  std::string field;
  for (int i = 1; i <= 20; ++i) field += "PC" + std::to_string(i) + " ";
  SetWindowText1251(form->Compose().edRecipient, field);
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(JobEnds());
  EXPECT_EQ(Rows(), 20);
  // Drawing waits while lines come in (a quarter of a second at most between two drawings);
  // then the scroll bar covers them all.
  PumpUntil([] { return false; }, 400ms);
  SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(List(), SB_VERT, &si));
  EXPECT_EQ(si.nMax, 19);

  ListView_SetItemState(List(), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  const std::string selected = Info(2);
  SetWindowText1251(form->Compose().edRecipient, "NEW");
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(JobEnds());
  EXPECT_EQ(ListView_GetNextItem(List(), -1, LVNI_SELECTED), 3);
  EXPECT_EQ(Info(3), selected);
}

TEST_F(SendingWindow, CtrlEnterSendsOtherEnterCombinationsDoNot) {
  UseFakeClock();
  Start();
  for (auto held : {std::initializer_list<int>{VK_CONTROL, VK_SHIFT},
                    std::initializer_list<int>{VK_MENU}, std::initializer_list<int>{}}) {
    KeyInMessage(held, VK_RETURN);
    EXPECT_FALSE(Running());
  }
  KeyInMessage({VK_CONTROL}, VK_RETURN);
  ASSERT_TRUE(JobEnds());
  EXPECT_EQ(Infos(), std::vector<std::string>{kMessage + "PC7" + kSent});
}

TEST_F(SendingWindow, TheRepeatDialogSendsWhatItsUpDownsHoldAndCancelSendsNothing) {
  UseFakeClock();
  Start();
  const std::vector<std::string> history = History();

  // Its looks, then Esc: nothing is sent and the sender history is left as it was.
  SetWindowText1251(form->Compose().edSender, "Someone new");
  WhenDialogOpens([&](HWND d) {
    EXPECT_EQ(TextOf(d), L"Парметры отправки");
    RECT client;
    GetClientRect(d, &client);
    EXPECT_EQ(client.right, 258);
    EXPECT_EQ(client.bottom, 165);
    const std::pair<int, const wchar_t*> texts[] = {{IDC_PARAM_LABEL1, L"&Отправить сообщение"},
                                                    {IDC_PARAM_EDIT1, L"10"},
                                                    {IDC_PARAM_LABEL3, L"раз"},
                                                    {IDC_PARAM_LABEL2, L"о&тправлять через"},
                                                    {IDC_PARAM_EDIT2, L"1"},
                                                    {IDC_PARAM_LABEL4, L"сек"},
                                                    {IDOK, L"OK"},
                                                    {IDCANCEL, L"Cancel"}};
    for (auto [id, text] : texts) {
      EXPECT_EQ(TextOf(GetDlgItem(d, id)), text) << id;
      if (id != IDC_PARAM_EDIT1 && id != IDC_PARAM_EDIT2) {
        EXPECT_TRUE(TextFits(GetDlgItem(d, id), false)) << id;
      }
    }
    // Each label stands right before its box, so its accelerator reaches the box.
    EXPECT_EQ(GetWindow(GetDlgItem(d, IDC_PARAM_LABEL1), GW_HWNDNEXT),
              GetDlgItem(d, IDC_PARAM_EDIT1));
    EXPECT_EQ(GetWindow(GetDlgItem(d, IDC_PARAM_LABEL2), GW_HWNDNEXT),
              GetDlgItem(d, IDC_PARAM_EDIT2));
    int low = -1, high = -1;
    SendDlgItemMessageW(d, IDC_PARAM_UPDOWN1, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                        reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_PARAM_EDIT1));
    SetDlgItemTextW(d, IDC_PARAM_EDIT1, L"5");
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  form->ExecuteCommand(ID_ACT_SEND_TIMER);
  EXPECT_FALSE(Running());
  EXPECT_TRUE(messenger->Calls().empty());
  EXPECT_EQ(History(), history);
  EXPECT_TRUE(OpenDialogs().empty());

  // Left at its defaults (the dialog is new each time): 10 repetitions, 1 s apart.
  std::vector<uint32_t> startedAt;
  messenger->answer = [&](const ScriptedMessenger::Call& c) {
    if (c.kind == Kind::kSend) startedAt.push_back(clock->ticks);
    return 0u;
  };
  WhenDialogOpens([](HWND d) {
    EXPECT_EQ(TextOf(GetDlgItem(d, IDC_PARAM_EDIT1)), L"10");
    SendMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  form->ExecuteCommand(ID_ACT_SEND_TIMER);
  ASSERT_TRUE(JobEnds());
  ASSERT_EQ(startedAt.size(), 10u);
  for (size_t i = 1; i < startedAt.size(); ++i) EXPECT_GE(startedAt[i] - startedAt[i - 1], 1000u);
  EXPECT_EQ(Info(0), kMessage + "PC7" + kSent + " 10");
  EXPECT_EQ(Info(9), kMessage + "PC7" + kSent + " 1");
  EXPECT_EQ(History().at(0), "Someone new");

  // Typed digits count as far as the up-down controls take them.
  for (auto [typed, expected] : {std::pair{L"3", 3u}, std::pair{L"500", 10u}}) {
    messenger->answer = nullptr;
    const size_t before = messenger->Sends().size();
    WhenDialogOpens([typed = typed](HWND d) {
      SetDlgItemTextW(d, IDC_PARAM_EDIT1, typed);
      SetDlgItemTextW(d, IDC_PARAM_EDIT2, L"0");
      SendMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    });
    form->ExecuteCommand(ID_ACT_SEND_TIMER);
    ASSERT_TRUE(JobEnds());
    EXPECT_EQ(messenger->Sends().size() - before, expected) << typed;
  }
}

TEST_F(SendingWindow, AJobGoesOutUnderTheSenderAsTheHistoryStoresIt) {
  UseFakeClock();
  Start("[Defaults]\r\nWhatSend=7\r\n[Sender]\r\nSender1=Ivan\r\nSender2=Petr\r\n");
  SetWindowText1251(form->Compose().edSender, "PETR");
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(JobEnds());
  EXPECT_EQ(History(), (std::vector<std::string>{"Petr", "Ivan"}));
  EXPECT_EQ(GetWindowText1251(form->Compose().edSender), "Petr");
  EXPECT_EQ(messenger->Sends().at(0).from, u"Petr");

  // With MaxSender 0 the history keeps nothing, but the box keeps the sender just used.
  form.reset();
  Start("[Defaults]\r\nMaxSender=0\r\nWhatSend=7\r\n");
  SetWindowText1251(form->Compose().edSender, "Olga");
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(JobEnds());
  EXPECT_EQ(GetWindowText1251(form->Compose().edSender), "Olga");
  EXPECT_EQ(messenger->Sends().back().from, u"Olga");
}

TEST_F(SendingWindow, AParagraphTheBoxWrapsGoesOutWithCrLfAtItsWraps) {
  UseFakeClock();
  Start();
  HWND box = form->Compose().mMessage;
  SetWindowTextW(box,
                 L"один два три четыре пять шесть семь восемь девять десять одиннадцать "
                 L"двенадцать тринадцать четырнадцать пятнадцать шестнадцать");
  const int lines = static_cast<int>(SendMessageW(box, EM_GETLINECOUNT, 0, 0));
  ASSERT_GT(lines, 1);
  std::u16string expected;
  for (int i = 0; i < lines; ++i) {
    wchar_t line[256] = {};
    *reinterpret_cast<WORD*>(line) = 255;
    LRESULT n = SendMessageW(box, EM_GETLINE, i, reinterpret_cast<LPARAM>(line));
    if (i > 0) expected += u"\r\n";
    expected.append(reinterpret_cast<const char16_t*>(line), static_cast<size_t>(n));
  }
  form->ExecuteCommand(ID_ACT_SEND);
  ASSERT_TRUE(JobEnds());
  EXPECT_EQ(
      std::u16string(reinterpret_cast<const char16_t*>(messenger->Sends().at(0).bytes.data())),
      expected);
}

TEST_F(SendingWindow, ClosingTheWindowUnderARunningJobNeitherWaitsNorCrashes) {
  Gate gate;
  std::atomic<int> sends{0};
  messenger->answer = [&](const ScriptedMessenger::Call& c) {
    if (c.kind == Kind::kSend) {
      ++sends;
      gate.Wait();
    }
    return 0u;
  };
  Start("[Defaults]\r\nMaxThreads=3\r\n");
  SetWindowText1251(form->Compose().edRecipient, "A B C D E F G H");
  WhenDialogOpens([](HWND d) {
    SetDlgItemTextW(d, IDC_PARAM_EDIT2, L"100");
    SendMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  form->ExecuteCommand(ID_ACT_SEND_TIMER);
  ASSERT_TRUE(PumpUntil([&] { return messenger->Busy() == 3; }));

  const auto t0 = std::chrono::steady_clock::now();
  Close();
  form.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 2s);

  // The job's threads find no window to report to and wind down; once they have, the
  // job lets go of everything it held.
  gate.Open();
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (messenger.use_count() > 1 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(messenger.use_count(), 1);
  EXPECT_EQ(sends, 3);
}

TEST(SystemMessenger, UnderWineItIsNeverCalledAndEveryCallIsRefused) {
  ASSERT_TRUE(RunningUnderWine());
  // The netapi32 functions would end this process.
  SystemMessenger m;
  const uint8_t text[] = {'h', 0, 0, 0};
  EXPECT_EQ(m.MessageBufferSend(u"PC7", nullptr, text, 3), 50u);
  EXPECT_EQ(m.MessageNameAdd(u"me"), 50u);
  EXPECT_EQ(m.MessageNameDel(u"me"), 50u);

  // So the program's transport under Wine is its own client from the first job on.
  auto job = ProgramTransport()();
  EXPECT_NE(dynamic_cast<wire::WireMessenger*>(job.get()), nullptr);
}

TEST(SystemMessenger, WhereItAnswersNotSupportedTheOwnClientTakesOverForTheRun) {
  struct Scripted : Messenger {
    NetStatus answer;
    int* calls;
    Scripted(NetStatus a, int* c) : answer(a), calls(c) {}
    NetStatus MessageBufferSend(const char16_t*, const char16_t*, const uint8_t*,
                                uint32_t) override {
      ++*calls;
      return answer;
    }
    NetStatus MessageNameAdd(const char16_t*) override {
      ++*calls;
      return answer;
    }
    NetStatus MessageNameDel(const char16_t*) override {
      ++*calls;
      return answer;
    }
  };
  const uint8_t text[] = {'h', 0, 0, 0};
  for (NetStatus system : {0u, 2273u, 50u}) {
    int systemCalls = 0, ownCalls = 0, ownMade = 0;
    TransportChoice choice([&] { return std::make_shared<Scripted>(system, &systemCalls); },
                           [&] {
                             ++ownMade;
                             return std::make_shared<Scripted>(0u, &ownCalls);
                           },
                           true);
    auto first = choice.NewJobMessenger();
    EXPECT_EQ(first->MessageBufferSend(u"PC7", nullptr, text, 3), system == 50 ? 0u : system);
    EXPECT_EQ(first->MessageNameAdd(u"me"), system == 50 ? 0u : system);
    auto second = choice.NewJobMessenger();
    second->MessageBufferSend(u"PC7", nullptr, text, 3);
    if (system == 50) {
      // Asked once; from then on, for this job and the next, the own client alone.
      EXPECT_EQ(systemCalls, 1);
      EXPECT_EQ(ownCalls, 3);
      EXPECT_EQ(ownMade, 2) << "one own client per job";
      EXPECT_TRUE(choice.SystemGone());
    } else {
      // A system that answers, even with a failure, stays the transport.
      EXPECT_EQ(systemCalls, 3);
      EXPECT_EQ(ownCalls, 0);
      EXPECT_FALSE(choice.SystemGone());
    }
  }
}

// Workers convert texts in the core, windows through the system: both must agree on every
// byte, or a name would be sent other than shown.
TEST(SendText, TheWorkersConversionIsTheSystemsCodePage1251) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::wstring system = Widen(all);
  EXPECT_EQ(Utf16FromCp1251(all), std::u16string(system.begin(), system.end()));
  EXPECT_EQ(Cp1251FromUtf16(Utf16FromCp1251(all)), all);
  EXPECT_EQ(Cp1251FromUtf16(u"\u65E5\U0001F600"), "???");
}
