#pragma once

#include <windows.h>

#include <string>

// A program that a test starts, ended with it: killed when it still runs.
class CChildProcess
{
public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Starts `exePath` with `arguments` in its own folder (ending one started before), with
    // `startup` when given (its standard handles are then inherited). Wine refuses a start now and
    // then: it is tried again a few times, and each refusal printed.
    bool Start(const std::string& exePath, const std::string& arguments, DWORD flags = 0,
               STARTUPINFOA* startup = nullptr);
    // Waits for its end; false when it did not end in time. A process never started has ended.
    bool Wait(DWORD milliseconds, DWORD* exitCode = nullptr) const;
    // Ends it at once when it still runs.
    void Kill();

    HANDLE Handle() const { return m_info.hProcess; }
    HANDLE Thread() const { return m_info.hThread; }
    DWORD Id() const { return m_info.dwProcessId; }
    DWORD ThreadId() const { return m_info.dwThreadId; }

private:
    void Release();

    PROCESS_INFORMATION m_info = {};
};
