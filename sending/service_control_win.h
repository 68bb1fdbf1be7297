// Starting and stopping the system's Messenger service from the menus.
#pragma once

namespace korvel {

class TServiceControl {
 public:
  void actStartMessengerExecute();
  void actStopMessengerExecute();
};

}  // namespace korvel
