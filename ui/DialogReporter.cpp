#include "ui/DialogReporter.h"

#include "framework/WinApp.h"
#include "ui/MessageReport.h"

CDialogReporter::~CDialogReporter()
{
    SetActivity(std::wstring());
}

void CDialogReporter::Report(const ReportedMessage& message)
{
    if (message.formatted)
        ShowMessage(message.text, message.iconKind);
    else
        ShowMessage(message.id, message.iconKind);
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
    return m_progress.IsCancelled();
}

void CDialogReporter::AllowCancel(bool allowed)
{
    m_progress.AllowCancel(allowed);
}

// The main window asks a shutdown to wait, giving the move as its reason, for as long as the
// move runs.
void CDialogReporter::SetActivity(const std::wstring& description)
{
    if (m_blockingShutdown != nullptr)
        ShutdownBlockReasonDestroy(m_blockingShutdown);
    m_blockingShutdown = nullptr;
    HWND main = CWinApp::Get() != nullptr ? CWinApp::Get()->GetMainWindow() : nullptr;
    if (!description.empty() && main != nullptr &&
        ShutdownBlockReasonCreate(main, description.c_str()))
        m_blockingShutdown = main;
}

void CDialogReporter::EndProgress()
{
    m_progress.Close();
}
