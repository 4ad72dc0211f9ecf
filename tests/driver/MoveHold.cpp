#include "tests/driver/MoveHold.h"

namespace
{
const char kVariable[] = "KEL_HOLD_MOVE";
}

CMoveHold::CMoveHold(const char* point, bool everyTime)
{
    static int s_holds = 0;
    const std::string name =
        "kel-hold-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_holds);
    // Events that reset as a wait ends let each hold and release pass once.
    m_held = CreateEventA(nullptr, !everyTime, FALSE, (name + "-held").c_str());
    m_go = CreateEventA(nullptr, !everyTime, FALSE, (name + "-go").c_str());
    const std::string every = everyTime ? "*" : "";
    SetEnvironmentVariableA(kVariable, (point + every + ":" + name).c_str());
}

CMoveHold::~CMoveHold()
{
    SetEnvironmentVariableA(kVariable, nullptr);
    Release();
    CloseHandle(m_held);
    CloseHandle(m_go);
}

bool CMoveHold::WaitHeld(DWORD milliseconds)
{
    return WaitForSingleObject(m_held, milliseconds) == WAIT_OBJECT_0;
}

void CMoveHold::Release()
{
    SetEvent(m_go);
}
