#include "app/DialogReporter.h"

#include "ui/MessageReport.h"

CDialogReporter::CDialogReporter(HWND mainWindow) : m_mainWindow(mainWindow), m_progress(mainWindow)
{
}

CDialogReporter::~CDialogReporter()
{
    SetActivity(std::wstring(), nullptr);
}

// Owned by the window in front of the main dialog: the progress window while it shows.
void CDialogReporter::Tell(const ReportedMessage& message)
{
    if (m_abandoned)
        return;
    HWND owner = m_mainWindow != nullptr ? GetLastActivePopup(m_mainWindow) : nullptr;
    if (message.formatted)
        ShowMessage(owner, message.text, message.iconKind);
    else
        ShowMessage(owner, message.id, message.iconKind);
}

void CDialogReporter::BeginStep(const std::wstring& text, ULONGLONG totalFiles,
                                ULONGLONG totalBytes)
{
    m_progress.BeginStep(text, totalFiles, totalBytes);
}

void CDialogReporter::SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes)
{
    m_progress.SetTotals(totalFiles, totalBytes);
}

void CDialogReporter::SetDone(ULONGLONG filesDone, ULONGLONG bytesDone)
{
    m_progress.SetDone(filesDone, bytesDone);
}

void CDialogReporter::Pump()
{
    m_progress.Pump();
}

bool CDialogReporter::IsCancelled() const
{
    return m_abandoned || m_progress.IsCancelled();
}

void CDialogReporter::AllowCancel(bool allowed)
{
    m_progress.AllowCancel(allowed);
}

// The main window asks a shutdown to wait, giving the move as its reason, for as long as the
// move runs.
void CDialogReporter::SetActivity(const std::wstring& description, std::function<void()> abandon)
{
    if (m_blockingShutdown)
        ShutdownBlockReasonDestroy(m_mainWindow);
    m_blockingShutdown = !description.empty() && m_mainWindow != nullptr &&
                         ShutdownBlockReasonCreate(m_mainWindow, description.c_str());
    m_abandon = description.empty() ? nullptr : std::move(abandon);
}

void CDialogReporter::AbandonForSessionEnd()
{
    if (!m_abandon)
        return;
    m_abandoned = true;
    const std::function<void()> abandon = std::move(m_abandon);
    abandon();
}

void CDialogReporter::EndProgress()
{
    m_progress.Close();
}
