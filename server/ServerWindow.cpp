#include "server/ServerWindow.h"

#include "config/ConfigLayout.h"
#include "config/NumberedKeys.h"
#include "notify/AdminMessage.h"

#include <cstdio>

namespace
{
const char kWindowClass[] = "KelPrintServerWindow";
const char kWindowTitle[] = "KEL Print Server (substitute)";

std::string FormatPlacement(const WINDOWPLACEMENT& placement)
{
    char record[128];
    std::snprintf(
        record, sizeof record, layout::kPlacementFormat, placement.flags, placement.showCmd,
        static_cast<int>(placement.ptMinPosition.x), static_cast<int>(placement.ptMinPosition.y),
        static_cast<int>(placement.ptMaxPosition.x), static_cast<int>(placement.ptMaxPosition.y),
        static_cast<int>(placement.rcNormalPosition.left),
        static_cast<int>(placement.rcNormalPosition.top),
        static_cast<int>(placement.rcNormalPosition.right),
        static_cast<int>(placement.rcNormalPosition.bottom));
    return record;
}
} // namespace

CServerWindow::CServerWindow(CProfileFile systemProfile, CProfileFile serverProfile, CServerLog log)
    : m_systemProfile(std::move(systemProfile)), m_serverProfile(std::move(serverProfile)),
      m_log(std::move(log))
{
}

bool CServerWindow::Create(HINSTANCE instance)
{
    m_adminMessage = RegisterWindowMessageA(kAdminMessageName);
    m_syncMessage = RegisterWindowMessageA(kServerSyncMessageName);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);

    m_window = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, 40, 40, 420, 160,
                               nullptr, nullptr, instance, this);
    if (m_window == nullptr)
        return false;
    m_status = CreateWindowExA(0, "STATIC", "Waiting for admin messages.",
                               WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 10, 10, 390, 100,
                               m_window, nullptr, instance, nullptr);
    StorePlacementIfMissing();
    ShowWindow(m_window, SW_SHOWNORMAL);
    char ready[96];
    std::snprintf(ready, sizeof ready, "ready message=%u", m_adminMessage);
    m_log.Append(ready);
    return true;
}

int CServerWindow::Run()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    m_log.Append("stopped");
    return 0;
}

LRESULT CALLBACK CServerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CServerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->Handle(window, message, wParam, lParam);
}

LRESULT CServerWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_adminMessage && m_adminMessage != 0)
    {
        OnAdminMessage(wParam, lParam);
        return 0;
    }
    if (message == m_syncMessage && m_syncMessage != 0)
    {
        m_log.Append("sync " + std::to_string(wParam));
        return 0;
    }
    if (message == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The server stores its window's placement once, the first time it runs.
void CServerWindow::StorePlacementIfMissing()
{
    if (!m_serverProfile.GetString(layout::kWindowPosSection, layout::kWindowPosKey).empty())
        return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(m_window, &placement);
    placement.showCmd = SW_SHOWNORMAL;
    m_serverProfile.WriteString(layout::kWindowPosSection, layout::kWindowPosKey,
                                FormatPlacement(placement).c_str());
}

std::string CServerWindow::DescribeQueueDirs() const
{
    std::string text;
    for (int n = 1;; ++n)
    {
        const std::string key = FormatNumberedKey(layout::kQueueKeyFormat, n);
        const std::string name = m_serverProfile.GetString(layout::kQueuesSection, key.c_str());
        if (name.empty())
            break;
        text += " " + name + "=" + m_serverProfile.GetString(name.c_str(), layout::kQueueDirKey);
    }
    return text;
}

void CServerWindow::OnAdminMessage(WPARAM value, LPARAM code)
{
    std::string line = "admin code=" + std::to_string(code) + " param=" + std::to_string(value);
    switch (code)
    {
    case kAdminDisplayModeChanged:
        line +=
            " Main=" + m_serverProfile.GetString(layout::kWindowPosSection, layout::kWindowPosKey);
        ShowWindow(m_window, static_cast<int>(value));
        break;
    case kAdminRootDirChanged:
        line +=
            " QueueDir=" + m_systemProfile.GetString(layout::kSettingsSection, layout::kRootDirKey);
        break;
    case kAdminQueueDirChanged:
        line += " queuedirs:" + DescribeQueueDirs();
        break;
    default:
        break;
    }
    m_log.Append(line);
    ShowStatus(line);
}

void CServerWindow::ShowStatus(const std::string& text)
{
    SetWindowTextA(m_status, ("Last admin message:\n" + text).c_str());
}
