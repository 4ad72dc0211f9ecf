#pragma once

#include "framework/Object.h"

#include <windows.h>

class CDialog;

// The application object. Exactly one exists; WinMain finds it, gives it its title and runs
// InitInstance. The application ends when InitInstance returns FALSE.
class CWinApp : public CObject
{
public:
    // A null name means the title is taken from string 57344 of the program's resources.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Get() { return s_app; }

    virtual BOOL InitInstance() { return FALSE; }

    // Called by WinMain: sets the instance handle and the title, then runs InitInstance.
    int Start(HINSTANCE instance);

    HINSTANCE GetInstance() const { return m_instance; }
    const char* GetTitle() const { return m_title; }

    const char* GetHelpFilePath() const { return m_helpFilePath; }
    // Replaces the help file path with a heap copy of `path`.
    void SetHelpFilePath(const char* path);

    // Paints every dialog and message box of this thread with these colours, or with the
    // system's while high contrast is on.
    void SetDialogBkColor(COLORREF background, COLORREF text);

    // The main window: the dialog that InitInstance runs, or null.
    CDialog* m_pMainWnd = nullptr;
    // The main window's handle, or the thread's active window when there is no main window.
    HWND GetMainWindow() const;
    // The window that owns prompts: the last active popup of the main window.
    HWND GetPromptOwner() const;

    // Reports a failure that escaped a handler; shown in a plain stop box.
    static void ReportFailure(const char* what);

    // Help context offered while a prompt (a message box) is up.
    DWORD m_promptContext = 0;

private:
    static CWinApp* s_app;
    HINSTANCE m_instance = nullptr;
    char* m_title = nullptr;
    char* m_helpFilePath = nullptr;
};

// The string that holds the application's title when it is constructed without a name.
constexpr UINT kAppTitleStringId = 57344;
