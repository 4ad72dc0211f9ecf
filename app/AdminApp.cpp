#include "app/AdminApp.h"

#include "app/AdminDlg.h"
#include "config/ProfileLocations.h"
#include "notify/AdminMessage.h"

namespace
{
const COLORREF kDialogBackground = RGB(192, 192, 192);
const COLORREF kDialogText = RGB(0, 0, 0);
} // namespace

// The one application object, and right after it the admin message, so that the number is
// known before start-up runs.
CAdminApp theApp;
static const UINT s_adminMessage = RegisterAdminMessage();

BOOL CAdminApp::InitInstance()
{
    SetDialogBkColor(kDialogBackground, kDialogText);

    const std::string helpFile = HelpFilePath(ModuleFilePath());
    if (!helpFile.empty())
        SetHelpFilePath(helpFile.c_str());

    CAdminDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;

    // The dialog was the whole application: end without a message loop of our own.
    return FALSE;
}
