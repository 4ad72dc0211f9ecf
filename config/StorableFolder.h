#pragma once

#include <string>

// Whether a folder can become a directory that the server's profiles store.
enum class FolderProblem
{
    kNone,
    kNotUsable, // not on a lettered drive, not exact in the host code page, or its path would
                // not read back unchanged through the profile functions (IDS_FOLDER_NOT_USABLE)
    kLineBreak  // its name holds a line break, which would break the profile apart (IDS_FOLDER_NAME_NOT_STORABLE)
};

// Checks the folder `wide` (an absolute path as the platform gives it) and gives its path in
// the host code page in `narrow` when it can be stored. Best-fit conversion could turn a name
// into that of another, existing folder; the profile functions trim blanks and quotes around a
// value, and the platform drops trailing dots from a name.
FolderProblem CheckStorableFolder(const std::wstring& wide, std::string& narrow);

// True when `path` begins with a drive letter, a colon and a backslash.
bool IsOnLetteredDrive(const std::string& path);
