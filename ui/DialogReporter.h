#pragma once

#include "framework/Reporter.h"
#include "ui/ProgressWindow.h"

// How the dialog's commands tell their user: each message in a modal box, the progress of a
// long command in the progress window (shown once it has run for half a second), and, while
// files are moved, a reason that a shutdown is held up for.
class CDialogReporter : public IReporter
{
public:
    CDialogReporter() = default;
    ~CDialogReporter() override;
    CDialogReporter(const CDialogReporter&) = delete;
    CDialogReporter& operator=(const CDialogReporter&) = delete;

    void Report(const ReportedMessage& message) override;
    void BeginStep(const std::wstring& text, ULONGLONG totalFiles, ULONGLONG totalBytes) override;
    void SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes) override;
    void SetDone(ULONGLONG filesDone, ULONGLONG bytesDone) override;
    void Pump() override;
    bool IsCancelled() const override;
    void AllowCancel(bool allowed) override;
    void SetActivity(const std::wstring& description) override;
    void EndProgress() override;

private:
    CProgressWindow m_progress;
    HWND m_blockingShutdown = nullptr;
};
