#include "notify/AdminMessage.h"

UINT g_adminMessage = 0;

UINT RegisterAdminMessage()
{
    g_adminMessage = RegisterWindowMessageA(kAdminMessageName);
    return g_adminMessage;
}

bool PostAdminMessage(WPARAM value, AdminCode code)
{
    return PostMessageA(HWND_BROADCAST, g_adminMessage, value, code) != FALSE;
}
