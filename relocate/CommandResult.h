#pragma once

#include <windows.h>

#include <string>

// How a command ended, as both front ends tell it (the command line as its exit code).
enum class CommandOutcome
{
    kChanged,             // stored and broadcast
    kUnchanged,           // the setting already was so
    kRefused,             // refused before anything changed
    kFailed,              // failed; everything it had changed is taken back
    kFailedWithLeftovers, // failed, and some of its copies could not be removed
    kCancelled,           // cancelled by the user; taken back
    kTryLater             // another change runs, a job is busy, or the spool kept changing
};

struct CommandOptions
{
    bool whatIf = false; // make every check and count what would be carried; change nothing
    // A setting that already has the value asked for is left as it is, and the command ends
    // as unchanged (the dialog writes it again all the same).
    bool leaveUnchanged = false;
    DWORD lockWaitMs = 2000;
};

struct CommandResult
{
    CommandOutcome outcome = CommandOutcome::kFailed;
    std::string before;  // the stored value the command started from
    std::string after;   // the value it set, or would set
    ULONGLONG files = 0; // files carried over (with what-if: to carry over)
    ULONGLONG bytes = 0;
    ULONGLONG freeBytes = 0; // free on the destination before the carry-over
    bool notified = false;   // the admin message was posted
};
