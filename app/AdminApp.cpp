#include "app/AdminApp.h"

#include "app/AdminDlg.h"
#include "config/ProfileLocations.h"
#include "notify/AdminMessage.h"

#include <objbase.h>

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
    // Grey and black, unless the user has high contrast on: then the system's colours.
    SetDialogBkColor(kDialogBackground, kDialogText);
    // COM for the whole life of the dialog's thread: the folder chooser requires it, and the
    // accessible names would otherwise start it and tear it down at every update.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    const std::string helpFile = HelpFilePath(ModuleFilePath());
    if (!helpFile.empty())
        SetHelpFilePath(helpFile.c_str());

    CAdminDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    if (SUCCEEDED(com))
        CoUninitialize();

    // The dialog was the whole application: end without a message loop of our own.
    return FALSE;
}
