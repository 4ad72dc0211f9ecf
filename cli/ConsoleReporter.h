#pragma once

#include "framework/Reporter.h"

#include <string>
#include <vector>

// How the command line's commands tell their user: each message on standard error, as the
// dialog's box would show it, and kept for the JSON result; while files are carried and
// standard error is a console, one progress line rewritten in place. A message that the
// dialog shows for a setting that is already so ("has not changed") is no failure here: the
// command's own line says "unchanged".
class CConsoleReporter : public IReporter
{
public:
    explicit CConsoleReporter(bool showProgress);
    ~CConsoleReporter() override;

    void Report(const ReportedMessage& message) override;
    void BeginStep(const std::wstring& text, ULONGLONG totalFiles, ULONGLONG totalBytes) override;
    void SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes) override;
    void SetDone(ULONGLONG filesDone, ULONGLONG bytesDone) override;
    void Pump() override;
    bool IsCancelled() const override;
    void AllowCancel(bool) override {}
    void SetActivity(const std::wstring&) override {}
    void EndProgress() override;

    const std::vector<std::wstring>& Messages() const { return m_messages; }

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
