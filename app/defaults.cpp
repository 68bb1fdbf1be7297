#include "app/defaults.h"

namespace korvel {

ProgramValues gApp;

}  // namespace korvel
