#include "notify/AdminMessage.h"

UINT g_adminMessage = 0;

UINT RegisterAdminMessage()
{
    g_adminMessage = RegisterWindowMessageA(kAdminMessageName);
    return g_adminMessage;
}

bool PostAdminMessage(WPARAM value, AdminCode code)
{
    // A message number of 0 would reach every window as WM_NULL: a caller that never registered it gets it
    // registered now.
    if (g_adminMessage == 0)
        RegisterAdminMessage();
    return PostMessageA(HWND_BROADCAST, g_adminMessage, value, code) != FALSE;
}
