#pragma once

#include "relocate/CreatedEntries.h"
#include "ui/ProgressWindow.h"

#include <windows.h>

// What one "Set Root" or "Set Dir" holds from its first check of the old directory to its end:
// the progress window that keeps the dialog responsive meanwhile, the entries its carry-over
// creates in the destination, which stay only when the command stores its change, and the
// current directory it found, to which it returns whatever happens.
class CRelocationRun
{
public:
    CRelocationRun();
    ~CRelocationRun();
    CRelocationRun(const CRelocationRun&) = delete;
    CRelocationRun& operator=(const CRelocationRun&) = delete;

    CCreatedEntries& Created() { return m_created; }
    CProgressWindow& Progress() { return m_progress; }
    bool Cancelled() const { return m_progress.IsCancelled(); }

    // Ends a command that stores nothing: the progress window closes, and what the command
    // created in the destination is removed again, so that the destination is as the command
    // found it; a cancelled command then says so (message 22). Returns false, the command's
    // result.
    bool Fail();

    // Ends a command whose store failed in a way that may have left the new directory stored:
    // its copies stay, so that the directory the profile may name is whole. Returns false.
    bool FailKeepingCopies();

    // Ends a command that stored its change: the progress window closes, the created entries
    // stay. Returns true, the command's result.
    bool Succeed();

private:
    void ReturnToSavedDirectory();

    char m_savedDir[MAX_PATH];
    bool m_haveSavedDir;
    CCreatedEntries m_created;
    CProgressWindow m_progress;
};
