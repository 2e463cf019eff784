// Resource and command identifiers. The numbers are fixed: the dialog templates,
// the menus and the online-menu document all refer to them.
#pragma once

#define IDD_MAIN 102
#define IDR_MAIN_MENU 102
#define IDD_CONTACT 105
#define IDI_APP 106
#define IDB_BANNER 107
#define IDB_BANNER_2X 207  // bitmap 107 drawn at twice the size, for scales above 100 %
#define IDR_ACCELERATORS 108
#define IDD_HELP_USAGE 109
#define IDD_HELP_REQUIREMENTS 110
#define IDD_HELP_HOTKEY 111
#define IDD_HELP_CONFIG 112
#define IDD_ADVANCED 121
#define IDD_SEQUENCE 122

// Main dialog controls.
#define IDC_EXIT 2
#define IDC_TRAY 3
#define IDC_START_KEY 1001
#define IDC_END_KEY 1002
#define IDC_LEFT_METHOD 1003
#define IDC_RIGHT_METHOD 1004
#define IDC_LEFT_INTERVAL 1005
#define IDC_RIGHT_INTERVAL 1006
#define IDC_SAVE 1007
#define IDC_BANNER_PLACEHOLDER 1008
#define IDC_LINE_TOP 1014
#define IDC_LINE_BOTTOM 1015

// Dialog "高级设置": per button a press duration, click count, random range and
// fixed point, the hold-to-click switch, then the fields of the two triggers; its
// buttons are IDOK and IDCANCEL.
#define IDC_LEFT_HOLD 1201
#define IDC_LEFT_COUNT 1202
#define IDC_LEFT_JITTER 1203
#define IDC_LEFT_POINT_X 1204
#define IDC_LEFT_POINT_Y 1205
#define IDC_LEFT_PICK 1206
#define IDC_RIGHT_HOLD 1211
#define IDC_RIGHT_COUNT 1212
#define IDC_RIGHT_JITTER 1213
#define IDC_RIGHT_POINT_X 1214
#define IDC_RIGHT_POINT_Y 1215
#define IDC_RIGHT_PICK 1216
#define IDC_HOLD_TO_CLICK 1220
#define IDC_START_TRIGGER 1221
#define IDC_STOP_TRIGGER 1222
#define IDC_STOP_ON_MOVE 1223

// Dialog "序列": the list of steps, the editor of one step and its buttons, then the
// values of the whole sequence; its buttons are IDOK and IDCANCEL.
#define IDC_SEQ_LIST 1230
#define IDC_SEQ_ACTION 1231
#define IDC_SEQ_KEY 1232
#define IDC_SEQ_X 1233
#define IDC_SEQ_Y 1234
#define IDC_SEQ_PICK 1235
#define IDC_SEQ_PAUSE 1236
#define IDC_SEQ_ADD 1237
#define IDC_SEQ_CHANGE 1238
#define IDC_SEQ_REMOVE 1239
#define IDC_SEQ_UP 1240
#define IDC_SEQ_DOWN 1241
#define IDC_SEQ_REPEAT 1242
#define IDC_SEQ_SPREAD 1243
#define IDC_SEQ_ENABLED 1244

// Tray menu.
#define IDM_TRAY_SHOW 1025
#define IDM_TRAY_EXIT 1027

// Menu bar (menu 102). 40013 and 40014 have no menu item but are still commands.
#define IDM_WEBSITE 40011
#define IDM_CONTACT 40012
#define IDM_OPEN_FAQ_FILE 40013
#define IDM_OPEN_USAGE_FILE 40014
#define IDM_SAVE 40017
#define IDM_MINIMIZE 40018
#define IDM_TRAY 40019
#define IDM_EXIT 40020
#define IDM_ADVANCED 40041
#define IDM_SEQUENCE 40042
#define IDM_ADD_DESKTOP 40026
#define IDM_ADD_PROGRAMS 40027
#define IDM_HELP_CONFIG 40032
#define IDM_HELP_HOTKEY 40033
#define IDM_HELP_REQUIREMENTS 40034
#define IDM_HELP_USAGE 40035

// Entries of the online menu carry ids from their document; only these reach it.
#define ONLINE_MENU_FIRST_ID 45001
#define ONLINE_MENU_LAST_ID 45099

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
