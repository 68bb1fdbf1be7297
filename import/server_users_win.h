// The system's user enumeration (netapi32's NetUserEnum) for the server import.
#pragma once

#include "import/server_users.h"

namespace korvel {

UserEnumerator& SystemUserEnumerator();

}  // namespace korvel
