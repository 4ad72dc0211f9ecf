#pragma once

#include <windows.h>

#include <string>

// What names one existing file or directory, whatever path leads to it.
struct FileIdentity
{
    unsigned long volume = 0;
    unsigned long long index = 0; // 0: the file system gives no unique index
    std::wstring finalPath;       // the platform's final path name; empty when it gives none
    DWORD attributes = 0;
    ULONGLONG size = 0;
    FILETIME lastWrite = {};
    FILETIME created = {};
};

// A file time as one number, and whether two are the same.
ULONGLONG TimeValue(const FILETIME& time);
bool SameTime(const FILETIME& first, const FILETIME& second);

// The identity of what `path` names, following links; false when nothing can be opened there.
bool ReadFileIdentity(const std::wstring& path, FileIdentity& identity);
// The identity of the entry at `path` itself, a link as the link; false when there is none.
bool ReadEntryIdentity(const std::wstring& path, FileIdentity& identity);
// The identity of an open file or directory.
bool ReadHandleIdentity(HANDLE file, FileIdentity& identity);

// The entry at a path, a link as the link, held open for its identity alone: no access to its
// data is asked for, so that nobody is kept from opening it meanwhile.
class CHeldEntry
{
public:
    explicit CHeldEntry(const std::wstring& path);
    ~CHeldEntry();
    CHeldEntry(const CHeldEntry&) = delete;
    CHeldEntry& operator=(const CHeldEntry&) = delete;
    // False when nothing could be opened there.
    bool ReadIdentity(FileIdentity& identity) const;
    // Its size and last-write time after a write through its path, into `identity`; false when
    // the path shows another size or time (the file written anew, or replaced), for the caller
    // to ask the path itself.
    bool ReadRewritten(FileIdentity& identity) const;

private:
    std::wstring m_path;
    HANDLE m_entry;
};

// True when both identities name the same object. An index of 0 is unknown; a match is
// confirmed by the final path names, wherever the platform gives them.
bool IsSameObject(const FileIdentity& first, const FileIdentity& second);

// True when `holder` is `inner` or a directory that holds it at any depth.
bool IsOrHolds(const FileIdentity& holder, const FileIdentity& inner);

// True when both paths reach the same existing directory or file, whatever their spelling:
// letter case, trailing separators, another drive letter or link that leads to the same place.
bool IsSameFileSystemObject(const std::wstring& first, const std::wstring& second);

// True when the final path `path` lies inside the final path `folder` (at any depth).
bool FinalPathLiesIn(const std::wstring& path, const std::wstring& folder);

// What proves that an entry at a path is the one a move made.
struct EntryProof
{
    bool folder = false;
    bool proved = false; // `identity` is the entry's: the same volume and index
    bool whole = false;  // and, for a file written whole, the same size and last-write time
    FileIdentity identity;
    ULONGLONG madeAfter = 0; // unproved: an entry made after this system time counts as it
    std::wstring within;     // the final path it must lie in; empty for anywhere
};

// True when the entry `now` is the one `proof` proves: of the same kind, no link, within its
// folder, and the same object, written whole the same size and time (made after, unproved).
bool IsProvedBy(const FileIdentity& now, const EntryProof& proof);

// A file of the destination kept aside under another name while a copy took its place; the
// original's identity tells it from whatever else may come to stand at that name.
struct KeptAsideFile
{
    std::wstring original;
    std::wstring aside;
    unsigned long volume = 0;
    unsigned long long index = 0;
};

// True when the entry at `kept.aside` is still the original kept aside there.
bool IsKeptOriginal(const KeptAsideFile& kept);

// Marks the file open as `file` (opened with DELETE access) for removal when its last handle
// closes; false when the platform refuses.
bool DeleteOnClose(HANDLE file);

// Removes the entry at `path` itself (a file, or an empty directory) through one handle, only
// when `proof` shows it is the one. True when it is gone or was never there, or is a directory
// that holds what others put there (which stays); false when it stays, with `other` set when
// what stands there now is not the one.
bool RemoveEntryIfProved(const std::wstring& path, const EntryProof& proof, bool& other);
