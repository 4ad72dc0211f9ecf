#include "ui/ProgressWindow.h"

#include "base/NumberTexts.h"
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "framework/AccessibleNames.h"
#include "framework/WinApp.h"
#include "res/resource.h"

#include <commctrl.h>

namespace
{
// The window appears once a command has run this long: shorter ones finish unseen.
const ULONGLONG kShowDelayMs = 500;
// Pump does its work at most this often; the gaps between two rounds stay well within the
// 100 ms in which a window should answer.
const ULONGLONG kPumpIntervalMs = 20;
// The counts are shown anew at most this often: often enough to be seen moving, and no more,
// since each text set and bar moved is redrawn at once and each text told to assistive
// technology, some milliseconds a time under Wine (a tenth of a second's interval cost a small
// "Set Dir" 3% of its time).
const ULONGLONG kShowIntervalMs = 250;
// The progress bar's range.
const int kBarRange = 1000;
// Bounds the paint messages handled in one round, should a window not validate itself.
const int kMostPaintsPerRound = 64;

void RegisterProgressBarClass()
{
    static const bool registered = []
    {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
}

std::wstring OfText(UINT formatId, const std::string& done, const std::string& total)
{
    return FormatMessageText(formatId, {WidenText(done), WidenText(total)});
}
} // namespace

CProgressWindow::CProgressWindow(HWND owner)
    : CDialog(IDD_PROGRESS, owner), m_start(GetTickCount64())
{
}

CProgressWindow::~CProgressWindow()
{
    Close();
}

void CProgressWindow::BeginStep(const std::wstring& text, ULONGLONG totalFiles,
                                ULONGLONG totalBytes)
{
    m_step = text;
    m_filesDone = 0;
    m_bytesDone = 0;
    SetTotals(totalFiles, totalBytes);
}

void CProgressWindow::SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes)
{
    m_totalFiles = totalFiles;
    m_totalBytes = totalBytes;
    m_changed = true;
}

void CProgressWindow::SetDone(ULONGLONG filesDone, ULONGLONG bytesDone)
{
    m_filesDone = filesDone;
    m_bytesDone = bytesDone;
    m_changed = true;
}

void CProgressWindow::Pump()
{
    const ULONGLONG now = GetTickCount64();
    if (m_closed || now < m_nextPump)
        return;
    m_nextPump = now + kPumpIntervalMs;
    if (GetSafeHwnd() == nullptr && !m_showFailed && now - m_start >= kShowDelayMs)
        Show();
    if (GetSafeHwnd() != nullptr && m_changed && now >= m_nextShow)
    {
        m_nextShow = now + kShowIntervalMs;
        ShowCounts();
    }
    HandleWaitingMessages();
}

void CProgressWindow::HandleWaitingMessages()
{
    MSG message;
    // Any PeekMessage also delivers the messages that other threads and processes send.
    HWND window = GetSafeHwnd();
    while (window != nullptr && PeekMessageA(&message, window, 0, 0, PM_REMOVE))
    {
        if (!IsDialogMessageA(window, &message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    for (int i = 0;
         i < kMostPaintsPerRound && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
         ++i)
        DispatchMessageA(&message);
}

void CProgressWindow::Show()
{
    RegisterProgressBarClass();
    if (!Create())
    {
        m_showFailed = true; // the command goes on unseen, still pumping
        return;
    }
    // The owner the dialog was created with: the main dialog, waiting as under a modal window.
    m_owner = GetWindow(GetSafeHwnd(), GW_OWNER);
    if (m_owner != nullptr)
        EnableWindow(m_owner, FALSE);
    ShowCancelState();
    ShowWindow(GetSafeHwnd(), SW_SHOW);
    m_changed = true;
}

BOOL CProgressWindow::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CWinApp::Get() != nullptr && CWinApp::Get()->GetTitle() != nullptr)
        SetWindowTextA(GetSafeHwnd(), CWinApp::Get()->GetTitle());
    SendDlgItemMessageA(GetSafeHwnd(), IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
    NameControls(GetSafeHwnd(), {{IDC_PROGRESS_STEP, IDS_NAME_PROGRESS_STEP},
                                 {IDC_PROGRESS_FILES, IDS_NAME_PROGRESS_FILES},
                                 {IDC_PROGRESS_BYTES, IDS_NAME_PROGRESS_BYTES},
                                 {IDC_PROGRESS_BAR, IDS_NAME_PROGRESS_BAR}});
    CenterWindow();
    SetFocus(GetDlgItem(IDCANCEL));
    return FALSE; // the focus is set
}

void CProgressWindow::ShowCounts()
{
    m_changed = false;
    ShowText(IDC_PROGRESS_STEP, m_step);
    const std::wstring files =
        m_totalFiles == 0
            ? std::wstring()
            : OfText(IDS_PROGRESS_FILES, CountText(m_filesDone), CountText(m_totalFiles));
    const std::wstring bytes =
        m_totalBytes == 0
            ? std::wstring()
            : OfText(IDS_PROGRESS_BYTES, ByteSizeText(m_bytesDone), ByteSizeText(m_totalBytes));
    ShowText(IDC_PROGRESS_FILES, files);
    ShowText(IDC_PROGRESS_BYTES, bytes);
    // Bytes tell the progress of a copy best, large files included; files that of the rest.
    double fraction = 0;
    if (m_totalBytes != 0)
        fraction = static_cast<double>(m_bytesDone) / static_cast<double>(m_totalBytes);
    else if (m_totalFiles != 0)
        fraction = static_cast<double>(m_filesDone) / static_cast<double>(m_totalFiles);
    const int position = static_cast<int>(fraction * kBarRange);
    if (position != m_shownPosition)
        SendDlgItemMessageA(GetSafeHwnd(), IDC_PROGRESS_BAR, PBM_SETPOS, position, 0);
    m_shownPosition = position;
}

// A text is set, and its control described by it, only when it changed.
void CProgressWindow::ShowText(int controlId, const std::wstring& text)
{
    std::wstring& shown = m_shownTexts[controlId];
    if (text == shown)
        return;
    shown = text;
    SetDlgItemTextW(GetSafeHwnd(), controlId, text.c_str());
    DescribeByText(GetDlgItem(controlId));
}

void CProgressWindow::OnCancel()
{
    if (!m_cancelAllowed)
        return;
    m_cancelled = true;
    ShowCancelState();
}

void CProgressWindow::AllowCancel(bool allowed)
{
    m_cancelAllowed = allowed;
    ShowCancelState();
}

// Cancel, Escape and the close box offer a cancel only while one can be had.
void CProgressWindow::ShowCancelState()
{
    if (GetSafeHwnd() == nullptr)
        return;
    const bool offered = m_cancelAllowed && !m_cancelled;
    EnableWindow(GetDlgItem(IDCANCEL), offered);
    EnableMenuItem(GetSystemMenu(GetSafeHwnd(), FALSE), SC_CLOSE,
                   MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
}

void CProgressWindow::Close()
{
    m_closed = true;
    if (GetSafeHwnd() == nullptr)
        return;
    // The owner first, so that the activation returns to it.
    if (m_owner != nullptr)
        EnableWindow(m_owner, TRUE);
    DestroyWindow();
}
