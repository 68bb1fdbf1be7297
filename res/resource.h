/* Every resource and control id of the program. Read by the resource compiler and the code. */
#pragma once

#define IDI_KORVEL 1
#define IDR_MANIFEST 1

/* Controls of the main window. */
#define IDC_TREE_ADDRESSES 1001
#define IDC_ED_RECIPIENT 1002
#define IDC_ED_SENDER 1003
#define IDC_M_MESSAGE 1004
#define IDC_LV_LOG 1005
#define IDC_LABEL_RECIPIENT 1006
#define IDC_LABEL_SENDER 1007
#define IDC_GROUP_MESSAGE 1008
#define IDC_PANEL3 1009
