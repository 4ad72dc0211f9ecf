#pragma once

#include <windows.h>

#include <functional>
#include <string>

// A message of the program's string table as a command reports it: its id, the icon kind that
// goes with it (MB_ICONSTOP, MB_ICONEXCLAMATION or MB_ICONINFORMATION) and its text, with any
// arguments in place.
struct ReportedMessage
{
    UINT id;
    UINT iconKind;
    std::wstring text;
    bool formatted; // false: the text as the table holds it, shown by its id
};

// What an operation tells its user, whatever the front end. To use:
// - Report each refusal and failure the moment it happens; it returns once the user was told.
// - BeginStep names a step and what it counts (a count of 0 is not shown), SetTotals and
//   SetDone follow it; the counts done restart with each step.
// - Pump often, at least once per block copied: the front end keeps answering and can cancel.
//   Once IsCancelled, the operation stops after its current block.
// - AllowCancel(false) while a step must not stop half-way.
// - SetActivity names a move that must not be cut off, with what takes it back at once should
//   the session end under it; an empty description once it is done.
// - EndProgress once the operation has ended.
class CReporter
{
public:
    virtual ~CReporter() = default;

    void Report(const ReportedMessage& message)
    {
        m_lastReported = message.text;
        Tell(message);
    }
    // The text of the last message reported, for the event log's record of a failure.
    const std::wstring& LastReported() const { return m_lastReported; }

    virtual void BeginStep(const std::wstring& text, ULONGLONG totalFiles,
                           ULONGLONG totalBytes) = 0;
    virtual void SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes) = 0;
    virtual void SetDone(ULONGLONG filesDone, ULONGLONG bytesDone) = 0;
    virtual void Pump() = 0;
    virtual bool IsCancelled() const = 0;
    virtual void AllowCancel(bool allowed) = 0;
    virtual void SetActivity(const std::wstring& description, std::function<void()> abandon) = 0;
    virtual void EndProgress() = 0;

protected:
    virtual void Tell(const ReportedMessage& message) = 0;

private:
    std::wstring m_lastReported;
};
