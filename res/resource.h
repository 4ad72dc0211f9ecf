#pragma once

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_ADMIN_DIALOG 102
#define IDD_PROGRESS 103

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

// About box controls
#define IDC_ABOUT_VERSION 1200

// Progress window controls
#define IDC_PROGRESS_STEP 1100
#define IDC_PROGRESS_FILES 1101
#define IDC_PROGRESS_BYTES 1102
#define IDC_PROGRESS_BAR 1103

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
#define IDS_STORE_FAILED 18
#define IDS_FOLDER_NOT_USABLE 19
#define IDS_CHOOSE_DIRECTORY_FIRST 20
#define IDS_NOT_ENOUGH_SPACE 21
#define IDS_MOVE_CANCELLED 22
#define IDS_ANOTHER_ADMINISTRATOR 23
#define IDS_KEPT_CHANGING 24
#define IDS_INTERRUPTED_CLEANED 25
#define IDS_COPIES_LEFT 26
#define IDS_COMMAND_STOPPED 27
#define IDS_NO_SUCH_QUEUE 28
#define IDS_NO_SUCH_FOLDER 29

// Progress window texts
#define IDS_STEP_CHECKING_JOBS 80
#define IDS_STEP_COPYING 81
#define IDS_STEP_UPDATING_JOBS 82
#define IDS_PROGRESS_FILES 83
#define IDS_PROGRESS_BYTES 84
#define IDS_STEP_REMOVING_COPIES 85
#define IDS_STEP_CHECKING_COPIES 86

// What a running move is, for a shutdown that would cut it off
#define IDS_MOVING_QUEUE 87
#define IDS_MOVING_LOGS 88

// The settings, as the event log names them
#define IDS_WHAT_DISPLAY 91
#define IDS_WHAT_ROOT 92
#define IDS_WHAT_QUEUE 93

// About box texts
#define IDS_ABOUT_VERSION 90

// Parts of message texts
#define IDS_NOT_IN_CODE_PAGE 95
#define IDS_CHANGED_MEANWHILE 96
#define IDS_LINK_NOT_FOLLOWED 97
#define IDS_INSIDE_SOURCE 98
#define IDS_AND_MORE 99

// Accessible names of controls that have no label of their own
#define IDS_NAME_DISPLAY_MODE 70
#define IDS_NAME_QUEUE_LIST 71
#define IDS_NAME_ROOT_DIR 72
#define IDS_NAME_QUEUE_DIR 73
#define IDS_NAME_PROGRESS_STEP 74
#define IDS_NAME_PROGRESS_FILES 75
#define IDS_NAME_PROGRESS_BYTES 76
#define IDS_NAME_PROGRESS_BAR 77

// Display-mode names
#define IDS_MODE_NORMAL 64
#define IDS_MODE_ICON 65
#define IDS_MODE_FULL_SCREEN 66
#define IDS_MODE_HIDDEN 67

// Application title
#define IDS_APP_TITLE 57344
