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

/* Image strips at 16 pixels; the same at 24 under id + 10 and at 32 under id + 20. */
#define IDB_TOOLBAR 101
#define IDB_NODES 102
#define IDB_LOG 103
#define IDB_TOOLBAR_24 111
#define IDB_NODES_24 112
#define IDB_LOG_24 113
#define IDB_TOOLBAR_32 121
#define IDB_NODES_32 122
#define IDB_LOG_32 123

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
   dialogs/: templates 300-349, controls 3000-3499: the options dialog 300-309 and
             3000-3099, the about box 310-349 and 3100-3499 (its pictures too) */

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

/* The about box. Its pictures come drawn for 96 and 192 DPI (each _192 id is the
   _96 id + 1); other scales are reduced or enlarged from the nearest. */
#define IDD_ABOUT_BOX 310
#define IDB_ABOUT_BACKGROUND_96 311
#define IDB_ABOUT_BACKGROUND_192 312
#define IDB_ABOUT_BANNER_96 313
#define IDB_ABOUT_BANNER_192 314
#define IDC_ABOUT_LABEL1 3101
#define IDC_ABOUT_IMAGE2 3102
#define IDC_ABOUT_LABEL3 3103
#define IDC_ABOUT_LHOME 3104
#define IDC_ABOUT_LMAIL 3105
#define IDC_ABOUT_IMAGE3 3106
#define IDC_ABOUT_LFORUM 3107
#define IDC_ABOUT_LABEL4 3108
#define IDC_ABOUT_LABEL5 3109
#define IDC_ABOUT_LABEL6 3110
#define IDC_ABOUT_LABEL7 3111
#define IDC_ABOUT_IMAGE4 3112
#define IDC_ABOUT_LABEL2 3113

/* import/: the target group chooser, the server import wizard, the typed network name.
   The group controls have the same ids in the chooser and on the wizard's last page. */
#define IDD_SELECT_ADDR_GROUP 250
#define IDD_IMPORTSERV 251
#define IDD_TYPE_NAME 252
#define IDC_SEL_LABEL1 2500
#define IDC_CMB_GROUP 2501
#define IDC_CHK_NEW_GROUP 2502
#define IDC_ED_NEW_GROUP 2503
#define IDC_SRV_LABEL1 2510
#define IDC_SRV_ED_SERVER 2511
#define IDC_SRV_BUTTON3 2512
#define IDC_SRV_BUTTON1 2513
#define IDC_SRV_BUTTON2 2514
#define IDC_SRV_LABEL3 2515
#define IDC_SRV_CHK_USER 2516
#define IDC_SRV_BUTTON9 2517
#define IDC_SRV_BUTTON7 2518
#define IDC_SRV_BUTTON8 2519
#define IDC_SRV_LABEL2 2520
#define IDC_SRV_BUTTON6 2521
#define IDC_SRV_BUTTON4 2522
#define IDC_SRV_BUTTON5 2523
#define IDC_NAME_PROMPT 2530
#define IDC_NAME_EDIT 2531
