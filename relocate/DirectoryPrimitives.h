#pragma once

#include "base/ErrorTexts.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CReporter;

// Directory operations shared by the relocation commands. The int results are 0 for success
// and -1 for failure with the error number (errno) set; callers read it at once and quote
// ErrorText of it in their own message.

// Modes of CheckAccess.
inline constexpr int kAccessExists = 0;
inline constexpr int kAccessWritable = 6;

// The longest path of a file that the platform's ordinary calls accept, and of a folder, which
// must leave room for a temporary file's name ("kelXXXX.tmp") in it.
inline constexpr size_t kLongestFilePath = MAX_PATH - 1;
inline constexpr size_t kLongestFolderPath = MAX_PATH - 14;

// A directory and a name joined by one backslash, whatever the directory ends with.
std::wstring JoinPath(const std::wstring& directory, const std::wstring& name);

// Makes `path` the current directory, selecting its drive first. The first character is taken
// as the drive letter, whatever it is. An empty path reports IDS_EMPTY_DIR, a drive that cannot
// be selected IDS_DRIVE_FAILED; both then leave error number 2. A directory that cannot be entered
// reports nothing.
int ChangeDirectory(const std::string& path, CReporter& reporter);

// Writes the current directory into `buffer`; false, with the buffer untouched, when it does
// not fit.
bool GetCurrentDir(char* buffer, unsigned size);

// Keeps the current directory it found and returns there, quietly, when it ends (or earlier,
// through ReturnNow): the directory was current moments before.
class CCurrentDirectoryKeeper
{
public:
    CCurrentDirectoryKeeper();
    ~CCurrentDirectoryKeeper() { ReturnNow(); }
    CCurrentDirectoryKeeper(const CCurrentDirectoryKeeper&) = delete;
    CCurrentDirectoryKeeper& operator=(const CCurrentDirectoryKeeper&) = delete;
    void ReturnNow();

private:
    char m_saved[MAX_PATH];
    bool m_haveSaved;
};

// Mode 0: something exists at `path`. Mode 6: it exists and is not read-only (error 13).
int CheckAccess(const std::string& path, int mode);

// Creates the one directory `path` (error 17 when it exists, 2 when its parent is missing).
int MakeDirectory(const std::string& path);

// Appends the names of the current directory's entries that match `pattern`, in the order the
// platform lists them, "." and ".." and subdirectories included. A pattern with a directory
// part lists that directory instead. False, with the error number set, when the directory
// could not be listed (whole); no match is no failure.
bool FindNames(const std::string& pattern, std::vector<std::string>& names);

// One entry found by FindEntries, under its exact name.
struct FoundEntry
{
    std::wstring name;
    DWORD attributes;
    DWORD reparseTag; // what kind of reparse point, when the attributes say it is one
    ULONGLONG size;
    FILETIME lastWrite;
};

// As FindNames, by wide-character names, with each entry's attributes, size and time. A
// pattern beyond the path limit fails with error ENAMETOOLONG. `pump`, when given, is called
// every few dozen entries, so that listing a large folder keeps the caller responsive.
bool FindEntries(const std::wstring& pattern, std::vector<FoundEntry>& entries,
                 const std::function<void()>& pump = nullptr);

// True for a directory entry (attributes known).
bool IsFolderAttributes(DWORD attributes);

// True for an entry that leads elsewhere: a symbolic link, a junction, any reparse point whose
// kind names another place, or one whose kind the platform does not tell. Other reparse points,
// such as deduplicated files or files kept in the cloud, are ordinary files.
bool IsLinkEntry(const FoundEntry& entry);

// True when the existing entry at `path` leads elsewhere, as IsLinkEntry tells it.
bool IsLinkAt(const std::wstring& path);
