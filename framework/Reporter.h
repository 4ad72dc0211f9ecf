#pragma once

#include <windows.h>

#include <string>

// A message of the program's string table as a command reports it: its number, the icon kind
// that goes with it (MB_ICONSTOP, MB_ICONEXCLAMATION or MB_ICONINFORMATION) and its text, with
// any arguments in place.
struct ReportedMessage
{
    UINT id;
    UINT iconKind;
    std::wstring text;
    bool formatted; // false: the text as the table holds it, shown by its number
};

// What a long-running operation tells its user, whatever the front end: every refusal and
// failure the moment it happens, and the progress of its steps. The operation calls Pump often
// (at least once per block it copies), which keeps a front end responsive and lets the user
// cancel; the operation then stops after its current block.
class IReporter
{
public:
    virtual ~IReporter() = default;

    // Returns once the user has been told.
    virtual void Report(const ReportedMessage& message) = 0;

    // Names a step and what it counts (a count of 0 is not shown); the counts done restart.
    virtual void BeginStep(const std::wstring& text, ULONGLONG totalFiles,
                           ULONGLONG totalBytes) = 0;
    virtual void SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes) = 0;
    virtual void SetDone(ULONGLONG filesDone, ULONGLONG bytesDone) = 0;
    virtual void Pump() = 0;
    virtual bool IsCancelled() const = 0;
    // Whether a cancel is offered (it is, at first): a step that must not stop half-way takes
    // it away.
    virtual void AllowCancel(bool allowed) = 0;

    // What the operation is doing that must not be cut off (a move of files, named for the
    // user, who may be asked to let it finish), or empty once it is done.
    virtual void SetActivity(const std::wstring& description) = 0;

    // The operation has ended: no more progress follows.
    virtual void EndProgress() = 0;
};
