// THelpCommands: the about box and the commands that open the manual, the FAQ, the
// version history, the product's web page and a mail to its maker.
#pragma once

#include <windows.h>

#include "app/settings.h"

namespace korvel {

class THelpCommands {
 public:
  // `settings` (the help and FAQ paths) belongs to the main window and outlives this.
  THelpCommands(HWND owner, const Settings& settings) : owner_(owner), settings_(settings) {}

  void actAboutExecute();
  void actHomeExecute();
  void actMailExecute();
  void actHelpExecute();
  void actFAQExecute();
  void actWhatNewExecute();

 private:
  [[maybe_unused]] HWND owner_;
  [[maybe_unused]] const Settings& settings_;
};

}  // namespace korvel
