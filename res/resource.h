#pragma once

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_ADMIN_DIALOG 102

// Icons
#define IDR_MAINFRAME 2

// Main dialog controls
#define IDC_ABOUT 3
#define IDC_SET_DISPLAY 1000
#define IDC_ROOT_DIR 1001
#define IDC_BROWSE_ROOT 1002
#define IDC_SET_ROOT 1003
#define IDC_QUEUE_LIST 1004
#define IDC_QUEUE_DIR 1005
#define IDC_BROWSE_QUEUE 1006
#define IDC_SET_DIR 1007
#define IDC_DISPLAY_MODE 1091

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Commands
#define ID_CONTEXT_HELP 32651

// Message texts
#define IDS_NO_WINDOW_RECORD 3
#define IDS_DIR_UNCHANGED 4
#define IDS_QUEUE_BUSY 5
#define IDS_DIR_IN_USE 6
#define IDS_RENAME_FAILED 7
#define IDS_OPEN_READ_FAILED 8
#define IDS_OPEN_WRITE_FAILED 9
#define IDS_READ_FAILED 10
#define IDS_WRITE_FAILED 11
#define IDS_ENTER_DIR_FAILED 12
#define IDS_EMPTY_DIR 13
#define IDS_DRIVE_FAILED 14
#define IDS_ENTER_QUEUE_DIR_FAILED 15
#define IDS_CREATE_LOG_DIR_FAILED 16
#define IDS_FOLDER_NAME_NOT_STORABLE 17

// Display-mode names
#define IDS_MODE_NORMAL 64
#define IDS_MODE_ICON 65
#define IDS_MODE_FULL_SCREEN 66
#define IDS_MODE_HIDDEN 67

// Application title
#define IDS_APP_TITLE 57344

// Version
#define KEL_VERSION_TEXT "2.1.0.0"
#define KEL_VERSION_NUMBERS 2, 1, 0, 0
