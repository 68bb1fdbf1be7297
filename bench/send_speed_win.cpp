// Korvel.exe as a user runs it, timed: started from a folder of its own, COUNT recipients
// (the receiver's address, COUNT times) and a message put into its window, Ctrl+Enter, and
// the time until the log shows its COUNT-th line.
//   send_speed.exe ADDRESS COUNT [MAXTHREADS]        (50 by default, as the program has it)
// Prints "korvel: N messages, F failed, T ms, R msg/s". Run by bench/send_speed.sh.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/resource.h"
#include "tests/core/temp_dir.h"
#include "tests/e2e/program_driver_win.h"

using namespace korvel;
using namespace korvel::drive;
using namespace std::chrono_literals;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: send_speed ADDRESS COUNT [MAXTHREADS]\n");
    return 2;
  }
  const std::string address = argv[1];
  const int count = std::atoi(argv[2]);
  const int maxThreads = argc > 3 ? std::atoi(argv[3]) : 50;

  TempDir dir;
  dir.Write("Korvel.ini",
            "[Defaults]\r\nPatchInstalled=0\r\nMaxThreads=" + std::to_string(maxThreads) +
                "\r\nMaxLineLog=" + std::to_string(count + 10) +
                "\r\n[Sender]\r\nSender1=bench\r\n");
  RunningKorvel korvel(Wide(dir.Path("Korvel.exe")), Wide(address));
  if (!korvel.Started()) {
    std::fprintf(stderr, "Korvel.exe did not start\n");
    return 2;
  }
  std::wstring recipients;
  for (int i = 0; i < count; ++i) recipients += (i ? L"," : L"") + Wide(address);
  SendMessageW(korvel.Control(IDC_ED_RECIPIENT), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(recipients.c_str()));
  HWND message = korvel.Control(IDC_M_MESSAGE);
  SetForegroundWindow(korvel.Main());
  ClickInto(message);
  Type(L"Обед в 13:00");

  HWND log = korvel.Control(IDC_LV_LOG);
  INPUT keys[4] = {Key(VK_CONTROL, false), Key(VK_RETURN, false), Key(VK_RETURN, true),
                   Key(VK_CONTROL, true)};
  const auto t0 = std::chrono::steady_clock::now();
  SendInput(4, keys, sizeof(INPUT));
  // Every question about the log is a message the window must take from another process, a
  // few round trips through the server: asked every 5 ms, it took a third of the window thread's
  // time in a job into smbd. Every 20 ms times a job of a second to within 2 %.
  bool done = false;
  for (const auto end = t0 + 600s; !done && std::chrono::steady_clock::now() < end;) {
    Sleep(20);
    done = SendMessageW(log, LVM_GETITEMCOUNT, 0, 0) >= count;
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  int failed = 0;
  for (const std::wstring& line : korvel.LogLines())
    if (line.find(L"не отправлено") != std::wstring::npos) ++failed;
  std::printf("korvel: %d messages, %d failed, %.0f ms, %.1f msg/s\n", count, failed, ms,
              count * 1000.0 / ms);
  return done && failed == 0 ? 0 : 1;
}
