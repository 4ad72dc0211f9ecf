#pragma once

#include <windows.h>

// The registered window message by which the tool tells a running print server of a change.
// The change's code travels in lParam, a value in wParam.
inline constexpr char kAdminMessageName[] = "KEL12AdminMessages";

enum AdminCode : LPARAM
{
    kAdminDisplayModeChanged = 1, // wParam: the new show command
    kAdminRootDirChanged = 2,     // wParam: 0
    kAdminQueueDirChanged = 3,    // wParam: 0
};

// The message number, set once during static initialisation (see RegisterAdminMessage).
extern UINT g_adminMessage;

// Registers the admin message and stores its number in g_adminMessage.
UINT RegisterAdminMessage();

// Posts the admin message to every top-level window, registering it first when that has not
// been done. Nothing is waited for; the result tells
// only whether the message was posted at all (a process outside the desktop of the running
// server posts to no window of it).
bool PostAdminMessage(WPARAM value, AdminCode code);
