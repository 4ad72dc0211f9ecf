#include "app/AdminDlg.h"

#include "app/AboutDlg.h"
#include "config/ConfigLayout.h"
#include "config/DisplayModes.h"
#include "config/PlacementRecord.h"
#include "config/ProfileLocations.h"
#include "config/QueueList.h"
#include "framework/ResourceText.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "relocate/CommandRun.h"
#include "relocate/DisplayModeChange.h"
#include "relocate/QueueDirectoryChange.h"
#include "relocate/RootDirectoryChange.h"
#include "res/resource.h"
#include "ui/DialogReporter.h"
#include "ui/FolderChoice.h"
#include "ui/MessageReport.h"

namespace
{
const DWORD kMainDialogHelpContext = 0x20000 + IDD_ADMIN_DIALOG;
} // namespace

CAdminDlg::CAdminDlg() : CDialog(IDD_ADMIN_DIALOG, nullptr) {}

CAdminDlg::~CAdminDlg()
{
    if (m_bigIcon != nullptr)
        DestroyIcon(m_bigIcon);
    if (m_smallIcon != nullptr)
        DestroyIcon(m_smallIcon);
}

CDialog::CommandTable CAdminDlg::GetCommandTable() const
{
    static const CommandEntry table[] = {
        {WM_COMMAND, IDC_ABOUT, BN_CLICKED, Bind(&CAdminDlg::OnAbout)},
        {WM_COMMAND, IDC_SET_DIR, BN_CLICKED, Bind(&CAdminDlg::OnSetDir)},
        {WM_COMMAND, IDC_SET_ROOT, BN_CLICKED, Bind(&CAdminDlg::OnSetRoot)},
        {WM_COMMAND, IDC_SET_DISPLAY, BN_CLICKED, Bind(&CAdminDlg::OnSetDisplay)},
        {WM_COMMAND, IDC_BROWSE_QUEUE, BN_CLICKED, Bind(&CAdminDlg::OnBrowseQueueDir)},
        {WM_COMMAND, IDC_QUEUE_LIST, CBN_CLOSEUP, Bind(&CAdminDlg::OnCloseupQueue)},
        {WM_COMMAND, IDC_BROWSE_ROOT, BN_CLICKED, Bind(&CAdminDlg::OnBrowseRoot)},
        {WM_COMMAND, ID_CONTEXT_HELP, 0, Bind(&CAdminDlg::OnContextHelp)},
        {WM_DESTROY, 0, 0, Bind(&CAdminDlg::OnDestroy)},
    };
    return MakeCommandTable(table);
}

void CAdminDlg::DoDataExchange(CDataExchange* exchange)
{
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_QUEUE_LIST, m_queueCombo);
    DDX_Control(exchange, IDC_DISPLAY_MODE, m_displayCombo);
    DDX_Text(exchange, IDC_ROOT_DIR, m_rootDir);
    DDX_Text(exchange, IDC_QUEUE_DIR, m_queueDir);
    if (!exchange->m_saveAndValidate)
    {
        m_pathTips.SetText(GetDlgItem(IDC_ROOT_DIR), m_rootDir);
        m_pathTips.SetText(GetDlgItem(IDC_QUEUE_DIR), m_queueDir);
    }
}

BOOL CAdminDlg::OnInitDialog()
{
    m_pathTips.Create(GetSafeHwnd());
    CDialog::OnInitDialog();
    CenterWindow();
    ShowProgramIcon();

    LocateProfiles();
    {
        CDialogReporter reporter;
        CleanUpInterruptedCommand(m_serverProfilePath, reporter);
    }
    FillDisplayModes(ReadCurrentShowCommand());
    FillQueueList();
    m_queueCombo.SetCurSel(0);
    OnCloseupQueue();

    UpdateData(FALSE);
    return TRUE;
}

// The program's icon in the caption and on the task bar, each at the size the system uses.
void CAdminDlg::ShowProgramIcon()
{
    HINSTANCE instance = CWinApp::Get()->GetInstance();
    const auto load = [&](int size)
    {
        return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                             size, size, LR_DEFAULTCOLOR));
    };
    m_bigIcon = load(GetSystemMetrics(SM_CXICON));
    m_smallIcon = load(GetSystemMetrics(SM_CXSMICON));
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
}

void CAdminDlg::LocateProfiles()
{
    m_windowsDir = WithTrailingBackslash(WindowsDirectory());
    m_moduleDir = ModuleDirectory(ModuleFilePath());
    const ServerProfiles profiles = LocateServerProfiles();
    m_systemProfile = profiles.system;
    m_serverProfile = profiles.server;
    m_serverProfilePath = m_serverProfile.GetPath();
    m_rootDir = m_systemProfile.GetString(layout::kSettingsSection, layout::kRootDirKey);
}

// The show command of the stored window placement record. Without a record "Set Display" is
// disabled for the dialog's lifetime.
UINT CAdminDlg::ReadCurrentShowCommand()
{
    const std::string record =
        m_serverProfile.GetString(layout::kWindowPosSection, layout::kWindowPosKey);
    if (record.empty())
    {
        EnableWindow(GetDlgItem(IDC_SET_DISPLAY), FALSE);
        return kShowCommandWithoutRecord;
    }
    return ReadPlacementShowCommand(record, kShowCommandWithoutRecord);
}

void CAdminDlg::FillDisplayModes(UINT currentShowCommand)
{
    for (const DisplayMode& mode : g_displayModes)
    {
        const std::string name = LoadResourceText(mode.nameId);
        if (name.empty())
            break;
        const int index = m_displayCombo.AddString(name);
        if (mode.showCommand == currentShowCommand)
            m_displayCombo.SetCurSel(index);
        m_displayCombo.SetItemData(index, mode.showCommand);
    }
}

// The list sorts the names itself; its drop-down shows the longest name whole.
void CAdminDlg::FillQueueList()
{
    for (const std::string& name : ReadQueueNames(m_serverProfile))
        m_queueCombo.AddString(name);
    m_queueCombo.FitDroppedWidthToEntries();
}

bool CAdminDlg::GetSelectedQueue(std::string& queueName) const
{
    const int index = m_queueCombo.GetCurSel();
    if (index == CB_ERR)
        return false;
    queueName = m_queueCombo.GetLBText(index);
    return true;
}

// Shows the stored directory of the selected queue. Runs whenever the queue list's drop-down
// closes, changed selection or not.
void CAdminDlg::OnCloseupQueue()
{
    std::string queueName;
    if (!GetSelectedQueue(queueName))
        return;
    m_queueDir = m_serverProfile.GetString(queueName.c_str(), layout::kQueueDirKey);
    UpdateData(FALSE);
}

// "Browse" for the root directory: the chosen folder is shown and proposed, nothing is written.
void CAdminDlg::OnBrowseRoot()
{
    std::string folder;
    if (!ChooseFolderForProfile(m_rootDir, folder))
        return;
    m_rootDir = folder;
    UpdateData(FALSE);
}

void CAdminDlg::OnSetRoot()
{
    CDialogReporter reporter;
    ChangeRootDirectory(m_systemProfile, m_serverProfile, m_rootDir, reporter);
}

// "Browse" for the selected queue's directory: a folder that belongs to a queue already is
// refused; any other is shown and proposed, and nothing is written.
void CAdminDlg::OnBrowseQueueDir()
{
    std::string folder;
    CDialogReporter reporter;
    if (!ChooseFolderForProfile(m_queueDir, folder) || !AcceptAsQueueDirectory(folder, reporter))
        return;
    m_queueDir = folder;
    UpdateData(FALSE);
}

void CAdminDlg::OnSetDir()
{
    std::string queueName;
    if (!GetSelectedQueue(queueName))
        return;
    CDialogReporter reporter;
    ChangeQueueDirectory(m_serverProfile, queueName, m_queueDir, reporter);
}

// "Set Display": the show command of the selected display mode, stored in the server's
// window placement record.
void CAdminDlg::OnSetDisplay()
{
    const int index = m_displayCombo.GetCurSel();
    if (index == CB_ERR)
        return;
    CDialogReporter reporter;
    ChangeDisplayMode(m_serverProfile, static_cast<UINT>(m_displayCombo.GetItemData(index)),
                      reporter);
}

void CAdminDlg::OnAbout()
{
    CAboutDlg about(GetSafeHwnd());
    about.DoModal();
}

void CAdminDlg::OnContextHelp()
{
    WinHelpA(GetSafeHwnd(), CWinApp::Get()->GetHelpFilePath(), HELP_CONTEXT,
             kMainDialogHelpContext);
}

bool CAdminDlg::OnQueryEndSession()
{
    return !CCommandRun::IsCarrying();
}

void CAdminDlg::OnEndSession(bool ending)
{
    if (ending)
        CCommandRun::AbandonRunning();
}

void CAdminDlg::OnHandlerException(const std::exception& error)
{
    ShowMessage(FormatMessageText(IDS_COMMAND_STOPPED, {WidenText(error.what())}), MB_ICONSTOP);
}

// Closes a help window that this dialog opened.
void CAdminDlg::OnDestroy()
{
    WinHelpA(GetSafeHwnd(), nullptr, HELP_QUIT, 0);
}
