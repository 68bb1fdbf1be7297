#include "sending/service_control_win.h"

namespace korvel {

// Service control is built on top of this class; until then the commands do nothing.
void TServiceControl::actStartMessengerExecute() {}
void TServiceControl::actStopMessengerExecute() {}

}  // namespace korvel
