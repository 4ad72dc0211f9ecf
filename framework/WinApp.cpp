#include "framework/WinApp.h"

#include "framework/Dialog.h"
#include "framework/DialogColours.h"

#include <cstring>

CWinApp* CWinApp::s_app = nullptr;

namespace
{
char* HeapCopy(const char* text)
{
    const size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}
} // namespace

CWinApp::CWinApp(const char* appName)
{
    s_app = this;
    if (appName != nullptr)
        m_title = HeapCopy(appName);
}

CWinApp::~CWinApp()
{
    delete[] m_title;
    delete[] m_helpFilePath;
    if (s_app == this)
        s_app = nullptr;
}

int CWinApp::Start(HINSTANCE instance)
{
    m_instance = instance;
    if (m_title == nullptr)
    {
        char title[256] = "";
        LoadStringA(instance, kAppTitleStringId, title, sizeof title);
        m_title = HeapCopy(title);
    }
    InitInstance();
    return 0;
}

void CWinApp::SetHelpFilePath(const char* path)
{
    char* copy = HeapCopy(path);
    delete[] m_helpFilePath;
    m_helpFilePath = copy;
}

void CWinApp::SetDialogBkColor(COLORREF background, COLORREF text)
{
    InstallDialogColours(background, text);
}

HWND CWinApp::GetMainWindow() const
{
    HWND main = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    return main != nullptr ? main : GetActiveWindow();
}

HWND CWinApp::GetPromptOwner() const
{
    HWND main = GetMainWindow();
    if (main == nullptr)
        return nullptr;
    return GetLastActivePopup(GetAncestor(main, GA_ROOT));
}

void CWinApp::ReportFailure(const char* what)
{
    const CWinApp* app = Get();
    HWND owner = app != nullptr ? app->GetPromptOwner() : nullptr;
    const char* title = app != nullptr && app->GetTitle() != nullptr ? app->GetTitle() : "";
    MessageBoxA(owner, what, title, MB_OK | MB_ICONSTOP);
}
