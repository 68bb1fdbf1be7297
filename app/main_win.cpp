// Korvel.exe's entry point.
#include <windows.h>

#include "app/hand_over_win.h"
#include "base/text_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return korvel::RunProgram(korvel::Narrow(GetCommandLineW()));
}
