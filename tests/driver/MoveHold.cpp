#include "tests/driver/MoveHold.h"

namespace
{
const char kVariable[] = "KEL_HOLD_MOVE";
}

CMoveHold::CMoveHold(const char* point)
{
    static int s_holds = 0;
    const std::string name =
        "kel-hold-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_holds);
    m_held = CreateEventA(nullptr, TRUE, FALSE, (name + "-held").c_str());
    m_go = CreateEventA(nullptr, TRUE, FALSE, (name + "-go").c_str());
    SetEnvironmentVariableA(kVariable, (std::string(point) + ":" + name).c_str());
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
