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
#define IDC_TOOLBAR 1010
#define IDC_STATUSBAR 1011
#define IDC_SPLITTER1 1012
#define IDC_SPLITTER2 1013

/* Image strips. */
#define IDB_TOOLBAR 101
#define IDB_NODES 102
#define IDB_LOG 103

/* Commands, in the order of the command table. Menus, toolbar, pop-ups and
   accelerators all use these ids. */
#define ID_ACT_SEND 40001
#define ID_ACT_NEW 40002
#define ID_ACT_ABOUT 40003
#define ID_ACT_HOME 40004
#define ID_ACT_MAIL 40005
#define ID_ACT_HELP 40006
#define ID_ACT_FAQ 40007
#define ID_ACT_OPTIONS 40008
#define ID_ACT_EXIT 40009
#define ID_ACT_ADD_USER 40010
#define ID_ACT_ADD_GROUP 40011
#define ID_ACT_REMOVE_GROUP 40012
#define ID_ACT_IMPORT_OXTERN 40013
#define ID_ACT_IMPORT_NET 40014
#define ID_ACT_IMPORT_GROUP_NET 40015
#define ID_ACT_IMPORT_USER_NET 40016
#define ID_ACT_SEND_TIMER 40017
#define ID_ACT_STOP_MESSENGER 40018
#define ID_ACT_START_MESSENGER 40019
#define ID_ACT_SORT_ADDRESSES 40020
#define ID_ACT_WHAT_NEW 40021
#define ID_ACT_CLEAR_LOG 40022

/* Dialog templates and their controls: each subsystem numbers its own in its range.
   sending/: templates 200-249, controls 2000-2499
   import/:  templates 250-299, controls 2500-2999
   dialogs/: templates 300-349, controls 3000-3499 */

/* sending/: the repeat dialog TParamSend. */
#define IDD_PARAM_SEND 200
#define IDC_PARAM_LABEL1 2000
#define IDC_PARAM_EDIT1 2001
#define IDC_PARAM_UPDOWN1 2002
#define IDC_PARAM_LABEL3 2003
#define IDC_PARAM_LABEL2 2004
#define IDC_PARAM_EDIT2 2005
#define IDC_PARAM_UPDOWN2 2006
#define IDC_PARAM_LABEL4 2007

/* dialogs/: the options dialog TDlgOptions (templates 300-309, controls 3000-3099). */
#define IDD_OPTIONS 300
#define IDC_OPT_WHAT_SEND 3000
#define IDC_OPT_OWN_NAME 3001
#define IDC_OPT_OTHER_NAME 3002
#define IDC_OPT_LABEL3 3003
