#pragma once

#include "relocate/Reporter.h"
#include "ui/ProgressWindow.h"

// How the dialog's commands tell their user: each message in a modal box owned by the window
// in front, the progress of a long command in the progress window (shown once it has run for
// half a second), and, while files are moved, a reason that a shutdown is held up for.
class CDialogReporter : public CReporter
{
public:
    explicit CDialogReporter(HWND mainWindow);
    ~CDialogReporter() override;
    CDialogReporter(const CDialogReporter&) = delete;
    CDialogReporter& operator=(const CDialogReporter&) = delete;

    void BeginStep(const std::wstring& text, ULONGLONG totalFiles, ULONGLONG totalBytes) override;
    void SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes) override;
    void SetDone(ULONGLONG filesDone, ULONGLONG bytesDone) override;
    void Pump() override;
    bool IsCancelled() const override;
    void AllowCancel(bool allowed) override;
    void SetActivity(const std::wstring& description, std::function<void()> abandon) override;
    void EndProgress() override;

    // True while files are moved.
    bool IsMoving() const { return static_cast<bool>(m_abandon); }
    // The session ends under the move: it is taken back at once, and the command stops at its
    // next look at the cancel, saying nothing more.
    void AbandonForSessionEnd();

protected:
    void Tell(const ReportedMessage& message) override;

private:
    HWND m_mainWindow;
    CProgressWindow m_progress;
    bool m_blockingShutdown = false;
    std::function<void()> m_abandon;
    bool m_abandoned = false;
};
