#include "tests/core/temp_dir.h"

#ifdef _WIN32
#include <process.h>
long korvel::TempDir::Pid() { return _getpid(); }
#else
#include <unistd.h>
long korvel::TempDir::Pid() { return getpid(); }
#endif
