#pragma once

#include "config/ProfileFile.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Checked changes of a profile file, for the values a command stores and the job control files
// it rewrites: a change counts as made only when the platform's call succeeded and the value
// reads back as it was meant to be.

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

// One entry of a profile section as it reads back: its key and its value (empty for a line
// without "="), each without the blanks around it.
struct ProfileEntry
{
    std::wstring key;
    std::wstring value;
};

// Checked changes of one profile file, read back a section at a time: each change is made at
// once, and ReadBack reads its section whole and checks every change made there since it was
// last read, so that a file that takes several changes (a job control file) is read back once.
// A write that reads back otherwise may be another program's, and is not made again; a removal
// is made again until no entry of its key is left, so that duplicate keys all go. After the
// first change that fails no other is made. Some platforms report a write to a full volume as a
// success and cut the file short, anywhere beyond the value written: on a nearly full volume
// every entry of the file is noted first, and Finish reads back those no change touched too.
class CCheckedChanges
{
public:
    explicit CCheckedChanges(const CProfileFile& profile);

    // [section] key = value.
    bool Write(const char* section, const char* key, const std::string& value);
    // Removes [section] key.
    bool Remove(const char* section, const char* key);
    // Reads [section] back, exactly and in file order, into `entries`, so that the read-back
    // serves as the section's next read too; false when a change made there did not read back.
    bool ReadBack(const char* section, std::vector<ProfileEntry>& entries);
    // The outcome of all the changes made, every one of them read back.
    StoreResult Finish();
    // The same, and entries of the file that the changes cut short are written back, from
    // what was noted, and named in the result when they cannot be.
    StoreResult FinishRestoring();

private:
    struct Change
    {
        std::string section;
        std::string key;
        std::string value;
        // As they read back.
        std::wstring wideSection;
        std::wstring wideKey;
        std::wstring wideValue;
        bool removal = false;
        int attempts = 1;
        bool readBack = false;
    };
    bool Make(const Change& change);
    bool Record(const char* section, const char* key, const std::string* value);
    std::vector<ProfileEntry> ReadSection(const std::wstring& section) const;
    bool WasChanged(const std::wstring& section, const std::wstring& key) const;
    std::vector<std::pair<std::wstring, ProfileEntry>> LostEntries() const;

    const CProfileFile& m_profile;
    StoreResult m_result = {true, 0};
    std::vector<Change> m_changes;
    // Each section's entries before the changes, on a nearly full volume.
    std::vector<std::pair<std::wstring, std::vector<ProfileEntry>>> m_entriesBefore;
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
