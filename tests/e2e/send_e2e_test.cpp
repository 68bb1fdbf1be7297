// Korvel.exe as a user has it: started with a recipient, a message typed into its window and
// sent with Ctrl+Enter, to a real receiver (Samba's smbd on a loopback address of its own,
// started by CTest); what arrived is checked byte for byte and the log's line read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/core/temp_dir.h"
#include "tests/e2e/program_driver_win.h"

using namespace korvel;
using namespace korvel::drive;
using namespace std::chrono_literals;

namespace {

std::vector<std::filesystem::path> Messages(const std::filesystem::path& inbox) {
  std::vector<std::filesystem::path> found;
  for (const auto& e : std::filesystem::directory_iterator(inbox))
    if (e.path().extension() == ".txt" && e.path().filename().string()[0] != '.')
      found.push_back(e.path());
  return found;
}

}  // namespace

TEST(SendEndToEnd, AMessageTypedIntoTheWindowArrivesAndTheLogSaysSo) {
  const char* address = std::getenv("KORVEL_RECEIVER");
  const char* inboxText = std::getenv("KORVEL_RECEIVER_INBOX");
  if (!address || !inboxText) GTEST_SKIP() << "no receiver: run through ctest";
  const std::filesystem::path inbox(Wide(inboxText));
  const size_t before = Messages(inbox).size();

  // A user's folder: the program, and settings that send under the typed sender without
  // asking the network whether the name is taken (no query leaves the loopback).
  TempDir dir;
  dir.Write("Korvel.ini", "[Defaults]\r\nPatchInstalled=0\r\n[Sender]\r\nSender1=tester\r\n");
  RunningKorvel korvel(Wide(dir.Path("Korvel.exe")), Wide(address));
  ASSERT_TRUE(korvel.Started());
  HWND recipient = korvel.Control(IDC_ED_RECIPIENT);
  HWND message = korvel.Control(IDC_M_MESSAGE);
  EXPECT_TRUE(WaitFor([&] { return TextOf(recipient) == Wide(address); }, 5s))
      << "the argument is the recipient";

  SetForegroundWindow(korvel.Main());
  ClickInto(message);
  Type(L"Привет из Korvel");
  Keys({Key(VK_RETURN, false), Key(VK_RETURN, true)});
  Type(L"вторая строка");
  CtrlEnter();

  std::filesystem::path arrived;
  ASSERT_TRUE(WaitFor(
      [&] {
        auto all = Messages(inbox);
        if (all.size() <= before) return false;
        std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
          return std::filesystem::last_write_time(a) < std::filesystem::last_write_time(b);
        });
        arrived = all.back();
        return true;
      },
      20s))
      << "nothing arrived";
  std::ifstream in(arrived, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  // The receiver writes UTF-8 and turns CR LF into LF.
  EXPECT_EQ(text.str(), "Привет из Korvel\nвторая строка");
  EXPECT_NE(arrived.filename().string().find("_tester_"), std::string::npos)
      << arrived.filename().string();

  std::vector<std::wstring> lines;
  EXPECT_TRUE(WaitFor(
      [&] {
        lines = korvel.LogLines();
        return !lines.empty();
      },
      10s));
  // "Cообщение" begins with a Latin C.
  EXPECT_EQ(lines, std::vector<std::wstring>{L"C"
                                             L"ообщение " +
                                             Wide(address) + L" отправлено"});
  EXPECT_TRUE(korvel.Close());
}
