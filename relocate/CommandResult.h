#pragma once

#include <windows.h>

#include <string>

// How a command ended, as both front ends tell it (the command line as its exit code).
enum class CommandOutcome
{
    kChanged,             // stored and broadcast (with what-if: would be)
    kUnchanged,           // the setting already was so
    kRefused,             // refused before anything changed
    kTryLater,            // another change runs, a job is busy, or the spool kept changing
    kCancelled,           // cancelled by the user or the session's end; taken back
    kFailed,              // failed; everything it had changed is taken back
    kFailedWithLeftovers, // failed, and copies stay in the new directory (listed, or why)
};

struct CommandOptions
{
    bool whatIf = false; // make every check and count what would be carried; change nothing
    // A setting that already has the value asked for, or names the same folder, is left as it
    // is, without a message: the command ends as unchanged (the dialog writes a display mode
    // again all the same, and says when a directory has not changed).
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
