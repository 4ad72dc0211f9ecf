#pragma once

#include "relocate/Reporter.h"

#include <string>
#include <vector>

// How the command line's commands tell their user: each message on standard error, as the
// dialog's box would show it, and kept for the JSON result; while files are carried and
// standard error is a console, one progress line rewritten in place.
class CConsoleReporter : public CReporter
{
public:
    explicit CConsoleReporter(bool showProgress);
    ~CConsoleReporter() override;

    void BeginStep(const std::wstring& text, ULONGLONG totalFiles, ULONGLONG totalBytes) override;
    void SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes) override;
    void SetDone(ULONGLONG filesDone, ULONGLONG bytesDone) override;
    void Pump() override;
    bool IsCancelled() const override;
    void AllowCancel(bool) override {}
    void SetActivity(const std::wstring& description, std::function<void()>) override;
    void EndProgress() override;

    const std::vector<std::wstring>& Messages() const { return m_messages; }

protected:
    void Tell(const ReportedMessage& message) override;

private:
    void ClearProgressLine();

    const bool m_showProgress;
    std::vector<std::wstring> m_messages;
    std::wstring m_step;
    ULONGLONG m_totalFiles = 0;
    ULONGLONG m_totalBytes = 0;
    ULONGLONG m_filesDone = 0;
    ULONGLONG m_bytesDone = 0;
    ULONGLONG m_nextDraw = 0;
    size_t m_lineLength = 0;
};
