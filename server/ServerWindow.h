#pragma once

#include "config/ProfileFile.h"
#include "server/ServerLog.h"

#include <windows.h>

#include <string>

// Message, registered under this name, by which a test asks the server to log "sync <wParam>":
// every admin message posted before it has been logged once that line appears.
inline constexpr char kServerSyncMessageName[] = "KelServerSync";

// The substitute print server's window: it receives the admin message, re-reads what the
// message's code names from the profiles, logs it and applies display-mode changes to itself.
class CServerWindow
{
public:
    CServerWindow(CProfileFile systemProfile, CProfileFile serverProfile, CServerLog log);
    bool Create(HINSTANCE instance);
    int Run();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnAdminMessage(WPARAM value, LPARAM code);
    void StorePlacementIfMissing();
    std::string DescribeQueueDirs() const;
    void ShowStatus(const std::string& text);

    CProfileFile m_systemProfile;
    CProfileFile m_serverProfile;
    CServerLog m_log;
    UINT m_adminMessage = 0;
    UINT m_syncMessage = 0;
    HWND m_window = nullptr;
    HWND m_status = nullptr;
};
