#include "cli/ConsoleCancel.h"

#include <windows.h>

#include <atomic>

namespace
{
// The system ends the process some five seconds after a close; the rollback gets most of it.
const DWORD kMostWaitForRollbackMs = 4500;

std::atomic<bool> s_cancelled{false};
HANDLE s_finished = nullptr;

// A process of session 0 (a service's, a scheduled task's) hears of every user's log-off,
// which is not its own end.
bool InServicesSession()
{
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0;
}

BOOL WINAPI OnConsoleControl(DWORD type)
{
    if (type == CTRL_LOGOFF_EVENT && InServicesSession())
        return TRUE;
    s_cancelled = true;
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(s_finished, kMostWaitForRollbackMs);
    return TRUE;
}
} // namespace

void InstallConsoleCancel()
{
    s_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool ConsoleCancelled()
{
    return s_cancelled;
}

void CommandFinished()
{
    if (s_finished != nullptr)
        SetEvent(s_finished);
}
