#include "relocate/MoveHold.h"

#include "relocate/Reporter.h"
#include "relocate/SentMessageWait.h"

#include <windows.h>

#include <string>

namespace
{
const wchar_t kVariable[] = L"KEL_HOLD_MOVE";
const DWORD kPumpIntervalMs = 15;

struct Hold
{
    std::string point;
    std::wstring name;
    bool everyTime = false;
    bool done = false;
};

Hold& TheHold()
{
    static Hold hold = []
    {
        Hold read;
        wchar_t value[256] = L"";
        const DWORD length = GetEnvironmentVariableW(kVariable, value, 256);
        const std::wstring text(value, length < 256 ? length : 0);
        const size_t colon = text.find(L':');
        if (colon == std::wstring::npos)
            return read;
        read.point.assign(text.begin(), text.begin() + static_cast<ptrdiff_t>(colon));
        read.name = text.substr(colon + 1);
        read.everyTime = !read.point.empty() && read.point.back() == '*';
        if (read.everyTime)
            read.point.pop_back();
        return read;
    }();
    return hold;
}
} // namespace

void HoldMoveAt(const char* point, CReporter& reporter)
{
    Hold& hold = TheHold();
    if (hold.done || hold.point != point)
        return;
    hold.done = !hold.everyTime;
    HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, (hold.name + L"-held").c_str());
    HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, (hold.name + L"-go").c_str());
    if (held != nullptr && go != nullptr)
    {
        SetEvent(held);
        while (WaitAnsweringSentMessages(go, kPumpIntervalMs) == WAIT_TIMEOUT &&
               !reporter.IsCancelled())
            reporter.Pump();
    }
    for (HANDLE event : {held, go})
        if (event != nullptr)
            CloseHandle(event);
}
