/* The program's version, used by res/korvel.rc for its version block and by the code. */
#pragma once

#define KORVEL_VERSION_MAJOR 1
#define KORVEL_VERSION_MINOR 3
#define KORVEL_VERSION_PATCH 0
#define KORVEL_VERSION_BUILD 27
#define KORVEL_FILE_VERSION_TEXT "1.3.0.27"
#define KORVEL_PRODUCT_NAME "Korvel"
#define KORVEL_FILE_DESCRIPTION "Korvel"
/* Russian, Windows-1251: the string block "041904E3". */
#define KORVEL_LANGUAGE 0x0419
#define KORVEL_CODEPAGE 1251
