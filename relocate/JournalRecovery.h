#pragma once

#include "relocate/JournalRecords.h"

#include <string>
#include <vector>

class CChangeLock;
class CReporter;

// A change that an earlier run left unfinished, as its journal tells it.
struct InterruptedChange
{
    std::wstring journal; // the journal's path
    JournalContents contents;
};

// The journals that changes guarded by `lock` left unfinished in `folder`, under the lock's key
// or the key an earlier version gave it; only those that an administrator or this user wrote.
std::vector<InterruptedChange> FindInterruptedChanges(const std::wstring& folder,
                                                      const CChangeLock& lock);

// Cleans up after one, for the holder of the lock: when its store was made after all, the
// copies stay and the originals kept aside go; when the server now uses its destination (a
// profile names it, or it holds such a folder, or it lies in another queue's folder), nothing
// is removed (IDS_INTERRUPTED_IN_USE, event 1004); otherwise every entry that can be proved to
// be the one the move made is removed, and every original kept aside put back
// (IDS_INTERRUPTED_CLEANED, event 1003). What could not be is listed (IDS_COPIES_LEFT, event
// 1002) and kept in the journal for a later run. `serverProfilePath` names the server whose
// settings say what is in use.
void CleanUpInterrupted(const InterruptedChange& change, const std::string& serverProfilePath,
                        CReporter& reporter);
