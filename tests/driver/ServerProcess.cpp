#include "tests/driver/ServerProcess.h"

#include "server/ServerWindow.h"
#include "tests/driver/TestFiles.h"
#include "tests/driver/ToolProcess.h"

#include <algorithm>
#include <sstream>

namespace
{
const char kServerWindowClass[] = "KelPrintServerWindow";
}

CServerProcess::~CServerProcess()
{
    Stop();
}

bool CServerProcess::Start(const std::string& exePath, const std::string& logPath)
{
    m_logPath = logPath;
    DeleteFileA(logPath.c_str());
    m_syncMessage = RegisterWindowMessageA(kServerSyncMessageName);
    if (!m_process.Start(exePath, "\"" + logPath + "\""))
        return false;
    const DWORD processId = m_process.Id();
    return WaitUntil(
        [&]
        {
            HWND window = nullptr;
            while ((window = FindWindowExA(nullptr, window, kServerWindowClass, nullptr)) !=
                   nullptr)
            {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == processId)
                    break;
            }
            m_window = window;
            const auto lines = Lines();
            return m_window != nullptr && !lines.empty() && lines.front().rfind("ready", 0) == 0;
        });
}

void CServerProcess::Stop()
{
    if (m_window != nullptr)
        PostMessageA(m_window, WM_CLOSE, 0, 0);
    if (!m_process.Wait(5000))
        m_process.Kill();
    m_window = nullptr;
}

std::vector<std::string> CServerProcess::Lines() const
{
    std::vector<std::string> lines;
    std::istringstream stream(ReadFileText(m_logPath));
    std::string line;
    while (std::getline(stream, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void CServerProcess::Sync()
{
    const std::string expected = "sync " + std::to_string(++m_syncSequence);
    PostMessageA(m_window, m_syncMessage, m_syncSequence, 0);
    WaitUntil(
        [&]
        {
            const auto lines = Lines();
            return std::find(lines.begin(), lines.end(), expected) != lines.end();
        });
}

std::vector<std::string> CServerProcess::AdminLines() const
{
    std::vector<std::string> admin;
    for (const std::string& line : Lines())
        if (line.rfind("admin ", 0) == 0)
            admin.push_back(line);
    return admin;
}
