// The message box under the user's own keys, through the program's message loop (where
// the dialog keys are handled): Esc anywhere in the window, and text typed and pasted
// past the box's visible height.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/text_win.h"
#include "tests/win/win_test_util.h"

using namespace korvel;
using namespace korvel::test;
using namespace std::chrono_literals;

namespace {

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

// A key pressed and let go, with `held` keys down around it.
std::vector<INPUT> Press(WORD vk, std::vector<WORD> held = {}) {
  std::vector<INPUT> keys;
  for (WORD h : held) keys.push_back(Key(h, false));
  keys.push_back(Key(vk, false));
  keys.push_back(Key(vk, true));
  for (WORD h : held) keys.push_back(Key(h, true));
  return keys;
}

// Text as an input method types it: a character at a time, whatever the layout; a line
// break is the Enter key.
std::vector<INPUT> Typed(const std::wstring& text) {
  std::vector<INPUT> keys;
  for (wchar_t c : text) {
    if (c == L'\n') {
      for (const INPUT& k : Press(VK_RETURN)) keys.push_back(k);
      continue;
    }
    for (bool up : {false, true}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = c;
      in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      keys.push_back(in);
    }
  }
  return keys;
}

void PutOnClipboard(HWND owner, const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

std::wstring Lines(int first, int count) {
  std::wstring text;
  for (int i = first; i < first + count; ++i)
    text += L"строка " + std::to_wstring(i) + (i + 1 < first + count ? L"\n" : L"");
  return text;
}

class ComposeKeys : public ::testing::Test, public FormFixture {
 protected:
  void SetUp() override {
    Create();
    ShowWindow(form->Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(form->Handle());
    Pump();
    ASSERT_EQ(GetForegroundWindow(), form->Handle()) << "keys would go elsewhere";
  }

  // The keys go to the focused control, then the program's own loop runs until the
  // keyboard has nothing more for it.
  void KeysInto(HWND control, const std::vector<INPUT>& keys) {
    SetFocus(control);
    // A combo box hands the focus on to its own edit.
    ASSERT_TRUE(GetFocus() == control || IsChild(control, GetFocus()));
    SendInput(static_cast<UINT>(keys.size()), const_cast<INPUT*>(keys.data()), sizeof(INPUT));
    RunLoop();
  }

  void RunLoop() {
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      PostQuitMessage(0);
    });
    form->Run();
  }

  // The box's text as it holds it, line breaks as LF.
  std::wstring MessageText() {
    std::wstring text = Widen(GetWindowText1251(form->Compose().mMessage));
    std::wstring out;
    for (wchar_t c : text)
      if (c != L'\r') out += c;
    return out;
  }
};

}  // namespace

TEST_F(ComposeKeys, EscNeverClosesTheWindowAndTheMessageStays) {
  HWND box = form->Compose().mMessage;
  KeysInto(box, Typed(L"abc"));
  KeysInto(box, Press(VK_ESCAPE));
  ASSERT_TRUE(IsWindow(form->Handle())) << "Esc in the message box closed the program";
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(MessageText(), L"abc");
  KeysInto(box, Typed(L"d"));
  EXPECT_EQ(MessageText(), L"abcd");

  for (HWND control : {form->Compose().edRecipient, form->Compose().edSender,
                       form->AddressBook().TreeAddresses, form->Log().lvLog}) {
    KeysInto(control, Press(VK_ESCAPE));
    ASSERT_TRUE(IsWindow(form->Handle())) << "Esc in control " << GetDlgCtrlID(control);
  }
  EXPECT_EQ(MessageText(), L"abcd");
}

TEST_F(ComposeKeys, TheMessageBoxTakesTypedAndPastedTextFarPastItsHeight) {
  HWND box = form->Compose().mMessage;
  const std::wstring typed = Lines(1, 40);
  KeysInto(box, Typed(typed));
  EXPECT_EQ(SendMessageW(box, EM_GETLINECOUNT, 0, 0), 40);
  // The box has scrolled along: the text went past its height.
  EXPECT_GT(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_TRUE(MessageText() == typed) << "the box holds " << MessageText().size() << " of the "
                                      << typed.size() << " characters typed";

  // Pasted with Ctrl+V on a line of its own.
  const std::wstring pasted = Lines(41, 200);
  PutOnClipboard(form->Handle(), pasted);
  KeysInto(box, Typed(L"\n"));
  KeysInto(box, Press('V', {VK_CONTROL}));
  const std::wstring whole = typed + L"\n" + pasted;
  EXPECT_EQ(SendMessageW(box, EM_GETLINECOUNT, 0, 0), 240);
  EXPECT_TRUE(MessageText() == whole) << "the box holds " << MessageText().size() << " of the "
                                      << whole.size() << " characters typed and pasted";

  // What goes out is everything the box holds, whatever part of it shows.
  std::wstring crlf;
  for (wchar_t c : whole) crlf += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
  EXPECT_TRUE(Widen(form->Compose().MessageText()) == crlf);
}
