#pragma once

#include "ui/ErrorTexts.h"

#include <windows.h>

#include <string>
#include <vector>

// Directory operations shared by the relocation commands. The int results are 0 for success
// and -1 for failure with the error number (errno) set; callers read it at once and quote
// ErrorText of it in their own message.

// Modes of CheckAccess.
inline constexpr int kAccessExists = 0;
inline constexpr int kAccessWritable = 6;

// Makes `path` the current directory, selecting its drive first. The first character is taken
// as the drive letter, whatever it is. An empty path shows message 13, a drive that cannot be
// selected message 14; both then leave error number 2. A directory that cannot be entered
// shows nothing.
int ChangeDirectory(const std::string& path);

// Writes the current directory into `buffer`; false, with the buffer untouched, when it does
// not fit.
bool GetCurrentDir(char* buffer, unsigned size);

// Mode 0: something exists at `path`. Mode 6: it exists and is not read-only (error 13).
int CheckAccess(const std::string& path, int mode);

// Creates the one directory `path` (error 17 when it exists, 2 when its parent is missing).
int MakeDirectory(const std::string& path);

// Appends the names of the current directory's entries that match `pattern`, in the order the
// platform lists them, "." and ".." and subdirectories included. A pattern with a directory
// part lists that directory instead. False, with the error number set, when the directory
// could not be listed (whole); no match is no failure.
bool FindNames(const std::string& pattern, std::vector<std::string>& names);

// One entry found by FindEntries.
struct FoundEntry
{
    std::string name;
    DWORD attributes;
    DWORD reparseTag; // what kind of reparse point, when the attributes say it is one
    ULONGLONG size;
};

// As FindNames, with each entry's attributes and size.
bool FindEntries(const std::string& pattern, std::vector<FoundEntry>& entries);

// True for an entry that leads elsewhere: a symbolic link or a junction (or a reparse point of
// a kind the platform does not tell). Other reparse points, such as deduplicated files or
// files kept in the cloud, are ordinary files.
bool IsLinkEntry(const FoundEntry& entry);
