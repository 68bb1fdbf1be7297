// Times send jobs through the real main window under Wine: the program's dispatcher and
// workers on the system's threads, every attempt handed over to the UI thread and put
// into the visible log list, against a transport that answers at once.
//   tools/wine-session.sh --xvfb -- wine build/windows/bench/send_job_bench.exe
// With "--show SECONDS" it then sends a small job where some recipients are refused and
// leaves the window up that long, for a look at the log.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/main_form_win.h"
#include "base/text.h"
#include "base/text_win.h"
#include "res/resource.h"
#include "sending/job_system_win.h"

using namespace korvel;
using Clock = std::chrono::steady_clock;

namespace {

// Answers at once; refuses names that begin with "NO".
class BenchMessenger : public Messenger {
 public:
  NetStatus MessageBufferSend(const char16_t* name, const char16_t*, const uint8_t*,
                              uint32_t) override {
    return name[0] == u'N' && name[1] == u'O' ? 53 : kNerrSuccess;
  }
  NetStatus MessageNameAdd(const char16_t*) override { return kNerrSuccess; }
  NetStatus MessageNameDel(const char16_t*) override { return kNerrSuccess; }
};

// The system's services, with the time spent in each counted.
class CountingSystem : public WinJobSystem {
 public:
  void Sleep(uint32_t ms) override {
    auto t0 = Clock::now();
    WinJobSystem::Sleep(ms);
    sleepMs += std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  }
  std::unique_ptr<JobThread> StartThread(std::function<void()> body) override {
    auto t0 = Clock::now();
    auto t = WinJobSystem::StartThread(std::move(body));
    startMs += std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    return t;
  }
  double sleepMs = 0, startMs = 0;  // only the dispatcher sleeps here
};

void PumpUntil(const std::function<bool()>& done) {
  MSG msg;
  while (!done()) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

double Send(TKorvelForm& form, const std::string& recipients) {
  SetWindowText1251(form.Compose().edRecipient, recipients);
  auto t0 = Clock::now();
  form.ExecuteCommand(ID_ACT_SEND);
  PumpUntil([&] { return form.SendInProgress() == 0; });
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// A job where some recipients are refused, left in the window for `seconds`. One worker
// at a time, so the lines stand in the order of the recipients.
int Show(TKorvelForm& form, int seconds) {
  form.Values().MaxThreads = 1;
  form.SetLogHeight(150);
  SetWindowText1251(form.Compose().edSender, Cp1251FromUtf8("Иван"));
  Send(form, Cp1251FromUtf8("ivanov, BUH-PC1, NOHOST, 192.168.0.7, petrova, NOBODY, KADR-PC"));
  SetWindowText1251(form.Compose().edRecipient, "BUH-PC1, NOHOST");
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  PumpUntil([&] { return Clock::now() > end; });
  return 0;
}

int Time(TKorvelForm& form, CountingSystem& counting) {
  int status = 0;
  // The log insertion alone, on the UI thread, into the visible list.
  auto t0 = Clock::now();
  for (int i = 0; i < 1000; ++i) form.Log().Insert(LogEntry{"x", {2024, 1, 1, 1, 1, 1}, 1});
  std::printf("1000 log insertions: %.1fms\n\n",
              std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  form.ExecuteCommand(ID_ACT_CLEAR_LOG);

  // Whole jobs; the dispatcher's time goes to starting threads and to waiting for a
  // free place (MaxThreads 50).
  std::printf("%10s | %10s %10s | %12s %12s\n", "recipients", "job", "per one", "starting",
              "waiting");
  for (int recipients : {1000, 3000}) {
    std::string field;
    for (int i = 0; i < recipients; ++i) field += "PC" + std::to_string(i) + ", ";
    double best = 1e300, starting = 0, waiting = 0;
    for (int run = 0; run < 3; ++run) {
      form.ExecuteCommand(ID_ACT_CLEAR_LOG);
      counting.sleepMs = counting.startMs = 0;
      double ms = Send(form, field);
      if (ms < best) {
        best = ms;
        starting = counting.startMs;
        waiting = counting.sleepMs;
      }
      if (form.Log().Count() != 300) status = 1;
    }
    std::printf("%10d | %8.1fms %8.3fms | %10.1fms %10.1fms\n", recipients, best, best / recipients,
                starting, waiting);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  const int showSeconds = argc > 2 && std::string(argv[1]) == "--show" ? std::atoi(argv[2]) : 0;

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir =
      std::wstring(temp) + L"korvel-send-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring ini = dir + L"\\Korvel.ini";
  const char* settings = "[Window Position]\r\nTop=20\r\nLeft=20\r\nWidth=560\r\nHeight=520\r\n";
  HANDLE f = CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, settings, static_cast<DWORD>(strlen(settings)), &written, nullptr);
  CloseHandle(f);

  FormServices services;
  services.newJobMessenger = [] { return std::make_shared<BenchMessenger>(); };
  auto counting = std::make_shared<CountingSystem>();
  services.jobSystem = counting;
  int status = 0;
  {
    TKorvelForm form(Utf8Path(dir + L"\\Korvel.exe"), services);
    form.SetQuitOnDestroy(false);
    if (!form.Create()) return 2;
    form.ShowForm();
    SetWindowText1251(form.Compose().mMessage, Cp1251FromUtf8("Обед в 13:00"));

    status = showSeconds > 0 ? Show(form, showSeconds) : Time(form, *counting);
  }
  for (const wchar_t* name : {L"\\Korvel.ini", L"\\Korvel.dat"}) DeleteFileW((dir + name).c_str());
  RemoveDirectoryW(dir.c_str());
  return status;
}
