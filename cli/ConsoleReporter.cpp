#include "cli/ConsoleReporter.h"

#include "base/NumberTexts.h"
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "cli/ConsoleCancel.h"
#include "cli/ConsoleOutput.h"
#include "res/resource.h"

namespace
{
// The progress line is drawn at most this often.
const ULONGLONG kDrawIntervalMs = 100;
} // namespace

CConsoleReporter::CConsoleReporter(bool showProgress)
    : m_showProgress(showProgress && ErrorIsConsole())
{
}

CConsoleReporter::~CConsoleReporter()
{
    ClearProgressLine();
}

void CConsoleReporter::Tell(const ReportedMessage& message)
{
    ClearProgressLine();
    m_messages.push_back(message.text);
    WriteError(message.text + L"\n");
}

void CConsoleReporter::BeginStep(const std::wstring& text, ULONGLONG totalFiles,
                                 ULONGLONG totalBytes)
{
    m_step = text;
    m_filesDone = m_bytesDone = 0;
    SetTotals(totalFiles, totalBytes);
}

void CConsoleReporter::SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes)
{
    m_totalFiles = totalFiles;
    m_totalBytes = totalBytes;
}

void CConsoleReporter::SetDone(ULONGLONG filesDone, ULONGLONG bytesDone)
{
    m_filesDone = filesDone;
    m_bytesDone = bytesDone;
}

// The progress window's texts on one line: "Copying files to D:\new: 12 of 1,501 files,
// 30.1 KB of 2.40 MB".
void CConsoleReporter::Pump()
{
    const ULONGLONG now = GetTickCount64();
    if (!m_showProgress || m_step.empty() || now < m_nextDraw)
        return;
    m_nextDraw = now + kDrawIntervalMs;
    std::wstring line = m_step;
    if (m_totalFiles != 0)
        line += L": " + FormatMessageText(IDS_PROGRESS_FILES, {WidenText(CountText(m_filesDone)),
                                                               WidenText(CountText(m_totalFiles))});
    if (m_totalBytes != 0)
        line +=
            L", " + FormatMessageText(IDS_PROGRESS_BYTES, {WidenText(ByteSizeText(m_bytesDone)),
                                                           WidenText(ByteSizeText(m_totalBytes))});
    const size_t length = line.size();
    if (length < m_lineLength)
        line += std::wstring(m_lineLength - length, L' ');
    WriteError(L"\r" + line);
    m_lineLength = length;
}

bool CConsoleReporter::IsCancelled() const
{
    return ConsoleCancelled();
}

// The move is cancelled on the main thread, which takes it back itself, however its session
// ends.
void CConsoleReporter::SetActivity(const std::wstring& description, std::function<void()>)
{
    SetSessionActivity(description);
}

void CConsoleReporter::EndProgress()
{
    ClearProgressLine();
    m_step.clear();
}

void CConsoleReporter::ClearProgressLine()
{
    if (m_lineLength == 0)
        return;
    WriteError(L"\r" + std::wstring(m_lineLength, L' ') + L"\r");
    m_lineLength = 0;
}
