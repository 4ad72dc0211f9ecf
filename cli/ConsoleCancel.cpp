#include "cli/ConsoleCancel.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace
{
// The system ends the process some five seconds after a close or a session's end; the rollback
// gets most of it.
const DWORD kMostWaitForRollbackMs = 4500;
const wchar_t kSessionWindowClass[] = L"KelAdministratorCommandLine";
// Asks the session window's thread to hold a shutdown up for a move (or no longer): lParam is a
// heap copy of the move's description, empty for none.
const UINT kSetActivity = WM_APP + 1;

std::atomic<bool> s_cancelled{false};
std::atomic<bool> s_moving{false};
HANDLE s_finished = nullptr;
HWND s_sessionWindow = nullptr;

// A process of session 0 (a service's, a scheduled task's) hears of every user's log-off,
// which is not its own end.
bool InServicesSession()
{
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0;
}

// Cancels the command, and for the end of the session or the console holds the process until
// the command has taken back what it copied, or a few seconds.
void Cancel(bool ending)
{
    s_cancelled = true;
    if (ending)
        WaitForSingleObject(s_finished, kMostWaitForRollbackMs);
}

BOOL WINAPI OnConsoleControl(DWORD type)
{
    if (type == CTRL_LOGOFF_EVENT && InServicesSession())
        return TRUE;
    Cancel(type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT);
    return TRUE;
}

// A console program hears a log-off or shutdown only through a top-level window of its own.
LRESULT CALLBACK OnSessionMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_QUERYENDSESSION:
        return s_moving ? FALSE : TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE && !((lParam & ENDSESSION_LOGOFF) != 0 && InServicesSession()))
            Cancel(true);
        return 0;
    case kSetActivity:
    {
        const auto* description = reinterpret_cast<std::wstring*>(lParam);
        if (description->empty())
            ShutdownBlockReasonDestroy(window);
        else
            ShutdownBlockReasonCreate(window, description->c_str());
        delete description;
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI RunSessionWindow(void* ready)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = OnSessionMessage;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kSessionWindowClass;
    RegisterClassW(&windowClass);
    s_sessionWindow = CreateWindowExW(0, kSessionWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0,
                                      nullptr, nullptr, windowClass.hInstance, nullptr);
    SetEvent(static_cast<HANDLE>(ready));
    MSG message;
    while (s_sessionWindow != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
} // namespace

void InstallConsoleCancel()
{
    s_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, RunSessionWindow, ready, 0, nullptr);
    if (thread != nullptr)
    {
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(thread);
    }
    CloseHandle(ready);
}

bool ConsoleCancelled()
{
    return s_cancelled;
}

void SetSessionActivity(const std::wstring& description)
{
    s_moving = !description.empty();
    if (s_sessionWindow != nullptr)
        PostMessageW(s_sessionWindow, kSetActivity, 0,
                     reinterpret_cast<LPARAM>(new std::wstring(description)));
}

void CommandFinished()
{
    if (s_finished != nullptr)
        SetEvent(s_finished);
}
