// Resource and command ids, one header for the whole program; each kind keeps to its own block.
#pragma once

// Templates, menus, icons, tool bar and strings of the document template (one shared number).
#define IDR_MAINFRAME           107

// Dialog templates.
#define IDD_ABOUTBOX            100
#define IDD_TROVEL_FORM         101
#define IDD_PAGE1               132
#define IDD_PAGE2               133

// Tray icon id and its pop-up menu (one shared number).
#define IDR_TRAYMENU            109

// Icons.
#define IDI_ARROW_RIGHT         134
#define IDI_ARROW_LEFT          137
#define IDI_DRIVE_REMOVABLE     300
#define IDI_DRIVE_FIXED         301
#define IDI_DRIVE_NETWORK       302
#define IDI_DRIVE_CDROM         303
#define IDI_DESKTOP             304
#define IDI_FOLDER_CLOSED       305
#define IDI_FOLDER_OPEN         306
#define IDI_COMPUTER            307

// Cursors.
#define IDC_HAND_POINTER        106

// Strings.
#define AFX_IDS_APP_TITLE       57344

// Controls.
#define IDC_TREE_FOLDERS        1000
#define IDC_LIST_PATHS          1002
#define IDC_EDIT_NAME           1004
#define IDC_EDIT_PATH           1005
#define IDC_LIST_NAMES          1006
#define IDC_BTN_ADD             1007
#define IDC_BTN_REMOVE          1008
#define IDC_BTN_FOCUS           1009
#define IDC_BTN_REFRESH         1010
#define IDC_CHECK_REMOVABLE     1011
#define IDC_CHECK_NETWORK       1012
#define IDC_CHECK_RESTORE_TIPS  1012
#define IDC_BTN_ABOUT           1013
#define IDC_HOTKEY_DIALOG       1014
#define IDC_CHECK_OPEN_FOLDERS  1015
#define IDC_CHECK_GO_TO_FOLDER  1016
#define IDC_CHECK_RECENT_FOLDERS 1017
#define IDC_CHECK_FOLLOW_FILE_MANAGER 1018
#define IDC_STATIC_HOTKEY       1019
#define IDC_FRAME_MEASURE       1023
#define IDC_EMAIL_LINK          1024
#define IDC_WEB_LINK            1025
#define IDC_CHECK_START_WITH_WINDOWS 1040

// Program commands.
#define ID_HELP_TOPICS          350
#define ID_PATH_FIRST           5000
#define ID_PATH_LAST            5004
#define ID_JUST_LEFT_FOLDER     5099
#define ID_OPEN_FOLDER_FIRST    5100
#define ID_OPEN_FOLDER_LAST     5109
#define ID_RECENT_FOLDER_FIRST  5200
#define ID_RECENT_FOLDER_LAST   5207
#define ID_PREFERENCES          32771
#define ID_SHUTDOWN             32775

// Standard commands of the framework layer.
#define ID_FILE_NEW             0xE100
#define ID_FILE_OPEN            0xE101
#define ID_FILE_SAVE            0xE103
#define ID_FILE_SAVE_AS         0xE104
#define ID_FILE_PRINT_SETUP     0xE106
#define ID_FILE_PRINT           0xE107
#define ID_EDIT_COPY            0xE122
#define ID_EDIT_CUT             0xE123
#define ID_EDIT_PASTE           0xE125
#define ID_EDIT_UNDO            0xE12B
#define ID_APP_ABOUT            0xE140
#define ID_APP_EXIT             0xE141
#define ID_HELP_FINDER          0xE143
#define ID_CONTEXT_HELP         0xE145
#define ID_HELP                 0xE146
#define ID_DEFAULT_HELP         0xE147
#define ID_VIEW_TOOLBAR         0xE800
#define ID_VIEW_STATUS_BAR      0xE801
