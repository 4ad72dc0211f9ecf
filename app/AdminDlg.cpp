#include "app/AdminDlg.h"

#include "app/AboutDlg.h"
#include "app/DialogReporter.h"
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "config/DisplayModes.h"
#include "config/ProfileLocations.h"
#include "config/ServerSettings.h"
#include "framework/AccessibleNames.h"
#include "framework/WinApp.h"
#include "relocate/AdministratorsFolder.h"
#include "relocate/CommandRun.h"
#include "relocate/DisplayModeChange.h"
#include "relocate/FolderAcceptance.h"
#include "relocate/QueueDirectoryChange.h"
#include "relocate/RootDirectoryChange.h"
#include "res/resource.h"
#include "ui/FolderBrowser.h"
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
        DescribeByText(GetDlgItem(IDC_ROOT_DIR));
        DescribeByText(GetDlgItem(IDC_QUEUE_DIR));
    }
}

BOOL CAdminDlg::OnInitDialog()
{
    m_pathTips.Create(GetSafeHwnd());
    // The queue list is named as its label reads, so that speech input finds it by those words.
    NameControls(GetSafeHwnd(), {{IDC_DISPLAY_MODE, IDS_NAME_DISPLAY_MODE},
                                 {IDC_QUEUE_LIST, IDS_NAME_QUEUE_LIST},
                                 {IDC_ROOT_DIR, IDS_NAME_ROOT_DIR},
                                 {IDC_QUEUE_DIR, IDS_NAME_QUEUE_DIR}});
    CDialog::OnInitDialog();
    CenterWindow();
    ShowProgramIcon();

    const ServerSettings settings = ReadServerSettings();
    m_windowsDir = WithTrailingBackslash(WindowsDirectory());
    m_moduleDir = ModuleDirectory(ModuleFilePath());
    m_systemProfile = settings.profiles.system;
    m_serverProfile = settings.profiles.server;
    m_serverProfilePath = m_serverProfile.GetPath();
    m_rootDir = settings.root;
    const std::wstring warning = ProgramFolderWarning();
    if (!warning.empty())
        ShowMessage(GetSafeHwnd(), warning, MB_ICONEXCLAMATION);
    RunCommand([this](CReporter& reporter)
               { CleanUpInterruptedCommand(m_serverProfilePath, reporter); });
    // Without a record "Set Display" is disabled for the dialog's lifetime.
    if (!settings.hasPlacementRecord)
        EnableWindow(GetDlgItem(IDC_SET_DISPLAY), FALSE);
    FillDisplayModes(settings.showCommand);
    FillQueueList(settings.queueNames);
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
void CAdminDlg::FillQueueList(const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        m_queueCombo.AddString(name);
    m_queueCombo.FitDroppedWidthTo(names);
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
    m_queueDir = ReadQueueDir(m_serverProfile, queueName);
    UpdateData(FALSE);
}

// Runs one command with a reporter of its own, reachable while it runs for a session's end.
void CAdminDlg::RunCommand(const std::function<void(CReporter&)>& command)
{
    CDialogReporter reporter(GetSafeHwnd());
    m_running = &reporter;
    struct Clear
    {
        CDialogReporter*& running;
        ~Clear() { running = nullptr; }
    } clear{m_running};
    command(reporter);
}

// Runs the folder chooser opened at `initial`; true with `chosen` set when the administrator
// chose a folder that may be proposed, for a queue one that belongs to no queue (a refused one
// is reported).
bool CAdminDlg::ChooseFolder(const std::string& initial, bool forQueue, std::string& chosen)
{
    CFolderBrowser browser(GetSafeHwnd());
    browser.SetFolder(initial);
    if (!browser.Browse())
        return false;
    std::string folder;
    bool accepted = false;
    RunCommand(
        [&](CReporter& reporter)
        {
            std::string queue;
            accepted = AcceptChosenFolder(browser.GetWideFolder(), reporter, folder) &&
                       (!forQueue || !GetSelectedQueue(queue) ||
                        AcceptAsQueueDirectory(folder, m_serverProfile, queue, reporter));
        });
    if (accepted)
        chosen = folder;
    return accepted;
}

// "Browse" for the root directory: the chosen folder is shown and proposed, nothing is written.
void CAdminDlg::OnBrowseRoot()
{
    if (!ChooseFolder(m_rootDir, false, m_rootDir))
        return;
    UpdateData(FALSE);
}

void CAdminDlg::OnSetRoot()
{
    RunCommand([this](CReporter& reporter)
               { ChangeRootDirectory(m_systemProfile, m_serverProfile, m_rootDir, reporter); });
}

// "Browse" for the selected queue's directory: a folder that belongs to a queue already is
// refused; any other is shown and proposed, and nothing is written.
void CAdminDlg::OnBrowseQueueDir()
{
    if (!ChooseFolder(m_queueDir, true, m_queueDir))
        return;
    UpdateData(FALSE);
}

void CAdminDlg::OnSetDir()
{
    std::string queueName;
    if (!GetSelectedQueue(queueName))
        return;
    RunCommand([&](CReporter& reporter)
               { ChangeQueueDirectory(m_serverProfile, queueName, m_queueDir, reporter); });
}

// "Set Display": the show command of the selected display mode, stored in the server's
// window placement record.
void CAdminDlg::OnSetDisplay()
{
    const int index = m_displayCombo.GetCurSel();
    if (index == CB_ERR)
        return;
    const auto showCommand = static_cast<UINT>(m_displayCombo.GetItemData(index));
    RunCommand([&](CReporter& reporter)
               { ChangeDisplayMode(m_serverProfile, showCommand, reporter); });
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
    return m_running == nullptr || !m_running->IsMoving();
}

void CAdminDlg::OnEndSession(bool ending)
{
    if (ending && m_running != nullptr)
        m_running->AbandonForSessionEnd();
}

void CAdminDlg::OnHandlerException(const std::exception& error)
{
    ShowMessage(GetLastActivePopup(GetSafeHwnd()),
                FormatMessageText(IDS_COMMAND_STOPPED, {WidenText(error.what())}), MB_ICONSTOP);
}

// Closes a help window that this dialog opened.
void CAdminDlg::OnDestroy()
{
    WinHelpA(GetSafeHwnd(), nullptr, HELP_QUIT, 0);
}
