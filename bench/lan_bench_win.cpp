// A send job to 100 recipients typed as names, on the test LAN (tools/lan.sh): computers,
// users of the Samba receiver and of the Windows XP messenger, and names nobody holds. Times
// the job through the real main window, from the command to its last log line, and beside it
// the name resolution alone for the same names, as many at a time as the job's workers.
// Run it through bench/lan_bench.sh, which builds the LAN with the extra names it needs.
// With "--show SECONDS" it sends a small mixed job instead, one worker at a time so that the
// lines stand in the recipients' order, and leaves the window up that long for a screenshot.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_form_win.h"
#include "base/text.h"
#include "base/text_win.h"
#include "res/resource.h"
#include "sending/name_service.h"
#include "sending/oem866.h"

using namespace korvel;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

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

// The recipients, as typed (UTF-8): names the LAN holds, then names nobody holds.
std::vector<std::string> Recipients(int heldBySamba, int heldByXp, int nobody) {
  std::vector<std::string> names = {"BUH-PC1", "ivanov", "Петров", "XPPC", "sidorov"};
  char name[16];
  for (int i = 1; i <= heldBySamba; ++i) {
    std::snprintf(name, sizeof name, "smb%02d", i);
    names.push_back(name);
  }
  for (int i = 1; i <= heldByXp; ++i) {
    std::snprintf(name, sizeof name, "xp%02d", i);
    names.push_back(name);
  }
  for (int i = 1; i <= nobody; ++i) {
    std::snprintf(name, sizeof name, "nobody%02d", i);
    names.push_back(name);
  }
  return names;
}

struct JobResult {
  double ms = 0;
  int sent = 0, failed = 0;
};

JobResult Send(TKorvelForm& form, const std::vector<std::string>& recipients) {
  std::string field;
  for (const auto& r : recipients) field += (field.empty() ? "" : ", ") + Cp1251FromUtf8(r);
  form.ExecuteCommand(ID_ACT_CLEAR_LOG);
  SetWindowText1251(form.Compose().edRecipient, field);
  const auto t0 = Clock::now();
  form.ExecuteCommand(ID_ACT_SEND);
  PumpUntil([&] { return form.SendInProgress() == 0; });
  JobResult r;
  r.ms = Ms(Clock::now() - t0);
  wchar_t text[256];
  for (int i = 0; i < ListView_GetItemCount(form.Log().lvLog); ++i) {
    ListView_GetItemText(form.Log().lvLog, i, 1, text, 256);
    ++(std::wstring(text).find(L" не отправлено") == std::wstring::npos ? r.sent : r.failed);
  }
  return r;
}

// The name service alone: NAME<03> asked for every recipient, `parallel` at a time, as the
// job's workers ask it. Per name: how long until the answer, or until the attempts ran out.
void TimeResolution(const std::vector<std::string>& recipients, int parallel) {
  wire::NameServiceOptions options;
  for (const auto& i : wire::LocalInterfaces()) {
    std::printf("interface %s, broadcast %s\n", wire::ToString(i.address).c_str(),
                wire::ToString(i.broadcast).c_str());
    options.targets.push_back(i.broadcast);
  }
  std::vector<double> found, notFound;
  std::atomic<size_t> next{0};
  std::mutex mutex;
  const auto t0 = Clock::now();
  std::vector<std::thread> threads;
  for (int t = 0; t < parallel; ++t)
    threads.emplace_back([&] {
      for (size_t i; (i = next++) < recipients.size();) {
        const std::u16string name = Utf16FromCp1251(Cp1251FromUtf8(recipients[i]));
        const wire::NetbiosName asked = wire::MakeNetbiosName(
            wire::Oem866FromUtf16(wire::UpperName(name)), wire::kMessengerSuffix);
        const auto start = Clock::now();
        const bool ok = wire::QueryName(asked, options).has_value();
        const double ms = Ms(Clock::now() - start);
        std::lock_guard<std::mutex> lock(mutex);
        (ok ? found : notFound).push_back(ms);
      }
    });
  for (auto& t : threads) t.join();
  const double wall = Ms(Clock::now() - t0);
  auto median = [](std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  auto max = [](const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
  };
  std::printf("name service alone, %d at a time: %.0f ms in all\n", parallel, wall);
  std::printf("  %3zu names held:     median %6.1f ms, longest %6.1f ms\n", found.size(),
              median(found), max(found));
  std::printf("  %3zu names nobody holds: median %6.1f ms, longest %6.1f ms\n", notFound.size(),
              median(notFound), max(notFound));
}

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  const int showSeconds = argc > 2 && std::string(argv[1]) == "--show" ? std::atoi(argv[2]) : 0;
  const int samba = argc > 2 && !showSeconds ? std::atoi(argv[1]) : 38;
  const int xp = argc > 2 && !showSeconds ? std::atoi(argv[2]) : 37;

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir =
      std::wstring(temp) + L"korvel-lan-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  // Sent under this computer's own name, so that no job first asks whether a sender name is
  // taken: what is timed is the recipients' names.
  const char* settings =
      "[Defaults]\r\nWhatSend=0\r\n"
      "[Window Position]\r\nTop=20\r\nLeft=20\r\nWidth=560\r\nHeight=560\r\n";
  const std::wstring ini = dir + L"\\Korvel.ini";
  HANDLE f = CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, settings, static_cast<DWORD>(strlen(settings)), &written, nullptr);
  CloseHandle(f);

  int status = 0;
  {
    TKorvelForm form(Utf8Path(dir + L"\\Korvel.exe"));
    form.SetQuitOnDestroy(false);
    if (!form.Create()) return 2;
    form.ShowForm();
    SetWindowText1251(form.Compose().mMessage, Cp1251FromUtf8("Обед в 13:00"));
    if (showSeconds > 0) {
      form.Values().MaxThreads = 1;
      form.SetLogHeight(190);
      Send(form, {"BUH-PC1", "ivanov", "Петров", "XPPC", "sidorov", "OFFICE*", "*", "win10",
                  "10.150.0.40", "nobody"});
      const auto end = Clock::now() + std::chrono::seconds(showSeconds);
      PumpUntil([&] { return Clock::now() > end; });
    } else {
      const std::vector<std::string> recipients = Recipients(samba, xp, 20);
      std::printf("%zu recipients typed as names, MaxThreads %d, sent under the computer's name\n",
                  recipients.size(), form.Values().MaxThreads);
      for (int run = 1; run <= 3; ++run) {
        JobResult r = Send(form, recipients);
        std::printf("job %d: %.0f ms to the last log line; %d sent, %d not sent\n", run, r.ms,
                    r.sent, r.failed);
        if (r.sent != static_cast<int>(recipients.size()) - 20) status = 1;
      }
      // The same job split: what the names the LAN holds cost, and what the others do.
      const std::vector<std::string> held(recipients.begin(), recipients.end() - 20);
      const std::vector<std::string> nobody(recipients.end() - 20, recipients.end());
      JobResult r = Send(form, held);
      std::printf("the %zu held names alone: %.0f ms\n", held.size(), r.ms);
      r = Send(form, nobody);
      std::printf("the 20 names nobody holds alone: %.0f ms\n", r.ms);
      TimeResolution(recipients, form.Values().MaxThreads);
    }
  }
  for (const wchar_t* name : {L"\\Korvel.ini", L"\\Korvel.dat"}) DeleteFileW((dir + name).c_str());
  RemoveDirectoryW(dir.c_str());
  return status;
}
