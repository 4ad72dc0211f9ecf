#pragma once

#include "config/ProfileFile.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Checked changes of a profile file, for the values a command stores: a change counts as made
// only when the platform's call succeeded and the value reads back as it was meant to be.

struct StoreResult
{
    bool stored;
    // Why not: the platform's error for the failed call (ERROR_DISK_FULL when the volume is
    // full), or 0 when the value read back otherwise because another program changed the file
    // at the same time.
    DWORD error;
    // Entries of the file that a store cut short and that could not be written back
    // ("[section] key").
    std::vector<std::string> lost = {};
};

// Checked changes of one profile file. Each change is made and read back, once: a write that
// reads back otherwise may be another program's, which is not written over; a removal is made
// until the key reads back absent, so that duplicate keys all go. After the first change
// that fails no other is made. Some platforms report a write to a full volume as a success and
// cut the file short, anywhere beyond the value written: on a nearly full volume every entry of
// the file is therefore noted first, and Finish reads back those it did not change too.
class CCheckedChanges
{
public:
    explicit CCheckedChanges(const CProfileFile& profile);

    // [section] key = value.
    bool Write(const char* section, const char* key, const std::string& value);
    // Removes [section] key; it then reads back as absent.
    bool Remove(const char* section, const char* key);
    // The outcome of all the changes made.
    StoreResult Finish() const;
    // The same, and entries of the file that the changes cut short are written back, from
    // what was noted, and named in the result when they cannot be.
    StoreResult FinishRestoring() const;

private:
    template <class Change, class ReadsBack>
    bool Make(Change change, ReadsBack readsBack, int attempts);
    std::vector<std::pair<std::string, std::string>> LostEntries() const;
    DWORD ReadBackError() const;

    const CProfileFile& m_profile;
    StoreResult m_result = {true, 0};
    // Each section's entries ("key=value") before the changes, on a nearly full volume.
    std::vector<std::pair<std::string, std::vector<std::string>>> m_entriesBefore;
    bool m_entriesNoted = false;
    // The sections and keys changed (in lower case), whose entries may differ afterwards.
    std::vector<std::pair<std::string, std::string>> m_changed;
};

// A setting that a command stores: [section] key, found as `oldValue`, to become `newValue`.
struct SettingChange
{
    const char* section;
    const char* key;
    std::string oldValue;
    std::string newValue;
    // Every key of that name is removed first, the file flushed, then the new one written and
    // flushed, so that exactly one is left (a queue's directory); else the value is replaced.
    bool onlyOneKey;
};

// Stores a setting as one checked change. The value is read again first: one that another
// program changed meanwhile is not overwritten (error 0). When the store fails, the old value
// is put back while the stored value is still the tool's own, so that a failed store does not
// leave a half-made change behind.
StoreResult StoreSetting(const CProfileFile& profile, const SettingChange& change);
