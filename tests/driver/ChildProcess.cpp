#include "tests/driver/ChildProcess.h"

#include <cstdio>

namespace
{
const int kStartAttempts = 3;
const DWORD kRetryPauseMs = 250;
const DWORD kKillWaitMs = 5000;
} // namespace

CChildProcess::~CChildProcess()
{
    Release();
}

void CChildProcess::Release()
{
    Kill();
    if (m_info.hThread != nullptr)
        CloseHandle(m_info.hThread);
    if (m_info.hProcess != nullptr)
        CloseHandle(m_info.hProcess);
    m_info = {};
}

bool CChildProcess::Start(const std::string& exePath, const std::string& arguments, DWORD flags,
                          STARTUPINFOA* startup)
{
    const std::string directory = exePath.substr(0, exePath.rfind('\\') + 1);
    std::string commandLine = "\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
    Release();
    STARTUPINFOA plain = {};
    plain.cb = sizeof plain;
    const BOOL inherit = startup != nullptr && (startup->dwFlags & STARTF_USESTDHANDLES) != 0;
    for (int attempt = 1; !CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr,
                                          inherit, flags, nullptr, directory.c_str(),
                                          startup != nullptr ? startup : &plain, &m_info);
         ++attempt)
    {
        std::fprintf(stderr, "starting %s failed with error %lu\n", exePath.c_str(),
                     GetLastError());
        if (attempt == kStartAttempts)
            return false;
        Sleep(kRetryPauseMs);
    }
    return true;
}

bool CChildProcess::Wait(DWORD milliseconds, DWORD* exitCode) const
{
    if (m_info.hProcess == nullptr)
        return true;
    if (WaitForSingleObject(m_info.hProcess, milliseconds) != WAIT_OBJECT_0)
        return false;
    if (exitCode != nullptr)
        GetExitCodeProcess(m_info.hProcess, exitCode);
    return true;
}

void CChildProcess::Kill()
{
    if (m_info.hProcess == nullptr || WaitForSingleObject(m_info.hProcess, 0) == WAIT_OBJECT_0)
        return;
    TerminateProcess(m_info.hProcess, 99);
    WaitForSingleObject(m_info.hProcess, kKillWaitMs);
}
