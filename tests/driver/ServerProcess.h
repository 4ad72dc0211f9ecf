#pragma once

#include "tests/driver/ChildProcess.h"

#include <windows.h>

#include <string>
#include <vector>

// The substitute print server, kel-server.exe, started as the tool's peer.
class CServerProcess
{
public:
    CServerProcess() = default;
    ~CServerProcess();

    // Starts the server with its log at `logPath` and waits until it is ready.
    bool Start(const std::string& exePath, const std::string& logPath);
    void Stop();

    // Waits until the server has logged every admin message posted before this call.
    void Sync();
    // The logged admin messages: "admin code=C param=P ..." lines.
    std::vector<std::string> AdminLines() const;
    HWND Window() const { return m_window; }

private:
    std::vector<std::string> Lines() const;

    CChildProcess m_process;
    std::string m_logPath;
    HWND m_window = nullptr;
    UINT m_syncMessage = 0;
    UINT_PTR m_syncSequence = 0;
};
