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
};

// Checked changes of one profile file. Each change is made and read back; a write that reads
// back otherwise is made once more, since a second writer may have raced, and a removal is
// made until the key reads back absent, so that duplicate keys all go. After the first change
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

private:
    template <class Change, class ReadsBack>
    bool Make(Change change, ReadsBack readsBack, int attempts);
    bool FileReadsBackWhole() const;
    DWORD ReadBackError() const;

    const CProfileFile& m_profile;
    StoreResult m_result = {true, 0};
    // Each section's entries ("key=value") before the changes, on a nearly full volume.
    std::vector<std::pair<std::string, std::vector<std::string>>> m_entriesBefore;
    bool m_entriesNoted = false;
    // The sections and keys changed (in lower case), whose entries may differ afterwards.
    std::vector<std::pair<std::string, std::string>> m_changed;
};

// One checked write of [section] key = newValue in place of `oldValue`. When it fails, the old
// value is written back (or the key removed, when there was none), as well as the platform
// still allows, so that a failed store does not leave a half-made change behind.
StoreResult ReplaceString(const CProfileFile& profile, const char* section, const char* key,
                          const std::string& newValue, const std::string& oldValue);
