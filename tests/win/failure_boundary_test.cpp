// What the user reads when a handler fails: a KorvelError's own text, and for anything
// else a Russian message saying what the program was doing; the exception's own text
// goes to the debugger output.
#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/text_win.h"
#include "base/trace.h"
#include "base/window_win.h"
#include "base/worker_guard.h"
#include "res/resource.h"
#include "tests/win/win_test_util.h"

namespace korvel {
namespace {

// A window whose handler raises what it is told to.
class Failing : public Window {
 public:
  std::function<void()> raise;
  bool Create() {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &Window::StaticWndProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"KorvelFailingTestWindow";
      return RegisterClassExW(&wc);
    }();
    return atom && CreateWindowExW(0, L"KorvelFailingTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, GetModuleHandleW(nullptr), this);
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_APP) raise();
    return Default(msg, wp, lp);
  }
};

class Boundary : public ::testing::Test, public test::FormFixture {
 protected:
  Boundary() {
    SetTraceSinkForTests([this](const std::string& line) { trace.push_back(line); });
  }
  ~Boundary() override { SetTraceSinkForTests(nullptr); }
  std::vector<std::string> trace;
};

TEST_F(Boundary, AWindowShowsAKorvelErrorAsItIsAndAnythingElseInRussian) {
  Failing window;
  ASSERT_TRUE(window.Create());

  window.raise = [] { throw KorvelError(Narrow(L"Файл не найден")); };
  SendMessageW(window.Handle(), WM_APP, 0, 0);
  EXPECT_EQ(messages, std::vector<std::string>{Narrow(L"Файл не найден")});
  EXPECT_TRUE(trace.empty());

  messages.clear();
  window.raise = [] { throw std::out_of_range("vector::_M_range_check"); };
  SendMessageW(window.Handle(), WM_APP, 0, 0);
  EXPECT_EQ(messages, std::vector<std::string>{
                          Narrow(L"Обработка действия в окне: внутренняя ошибка программы.")});
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_NE(trace[0].find("vector::_M_range_check"), std::string::npos) << trace[0];

  messages.clear();
  window.raise = [] { throw std::bad_alloc(); };
  SendMessageW(window.Handle(), WM_APP, 0, 0);
  EXPECT_EQ(messages,
            std::vector<std::string>{Narrow(L"Обработка действия в окне: не хватило памяти.")});
}

// A shell that breaks in a way the program did not foresee.
struct BrokenShell : DocumentShell {
  void Execute(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int) override {
    throw std::runtime_error("ShellExecute: bad verb");
  }
};

TEST_F(Boundary, AFailingCommandIsNamedByItsCaption) {
  BrokenShell shell;
  services.documentShell = &shell;
  TKorvelForm& f = Create();
  SendMessageW(f.Handle(), WM_COMMAND, ID_ACT_HELP, 0);
  EXPECT_EQ(messages, std::vector<std::string>{Narrow(
                          L"Выполнение команды «Руководство пользователя»: внутренняя ошибка "
                          L"программы.")});
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_NE(trace[0].find("ShellExecute: bad verb"), std::string::npos) << trace[0];
}

// OutputDebugString raises an exception that a debugger turns into its output; a
// vectored handler sees it first.
std::vector<std::wstring>* debugOutput = nullptr;

LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& r = *info->ExceptionRecord;
  if (debugOutput && r.NumberParameters >= 2) {
    if (r.ExceptionCode == 0x4001000A)  // DBG_PRINTEXCEPTION_WIDE_C
      debugOutput->push_back(reinterpret_cast<const wchar_t*>(r.ExceptionInformation[1]));
    else if (r.ExceptionCode == DBG_PRINTEXCEPTION_C)
      debugOutput->push_back(Widen(reinterpret_cast<const char*>(r.ExceptionInformation[1])));
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

TEST(WorkerBoundary, AThrowingWorkerWritesOneLineToTheDebuggerOutput) {
  std::vector<std::wstring> seen;
  debugOutput = &seen;
  void* handler = AddVectoredExceptionHandler(1, &CatchDebugOutput);
  const bool ended =
      WorkerGuarded([] { throw std::runtime_error("socket closed"); }, "sending to one recipient");
  RemoveVectoredExceptionHandler(handler);
  debugOutput = nullptr;
  EXPECT_FALSE(ended);
  int lines = 0;
  for (const std::wstring& s : seen)
    if (s.find(L"sending to one recipient failed: socket closed") != std::wstring::npos) ++lines;
  EXPECT_GE(lines, 1);  // a wide line may be passed on as an ANSI one as well
}

}  // namespace
}  // namespace korvel
