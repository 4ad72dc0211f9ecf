#include "relocate/DirectoryPrimitives.h"

#include "res/resource.h"
#include "ui/ErrorTexts.h"
#include "ui/MessageReport.h"

#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace
{
const int kFirstDrive = 1; // A
const int kLastDrive = 31;

int DriveNumberOf(char letter)
{
    return std::toupper(static_cast<unsigned char>(letter)) - 64;
}

// 0 when the current directory does not begin with a drive letter and a colon.
int CurrentDriveNumber()
{
    char current[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    if (length < 2 || length >= MAX_PATH || current[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(current[0])))
        return 0;
    return DriveNumberOf(current[0]);
}

bool SelectDrive(int drive)
{
    if (drive < kFirstDrive || drive > kLastDrive)
        return false;
    const char root[3] = {static_cast<char>('A' + drive - 1), ':', '\0'};
    return SetCurrentDirectoryA(root) != FALSE;
}

// Switches to `path`'s drive with the "insert disk" box suppressed; reports a failure itself.
bool SwitchDriveFor(const std::string& path)
{
    const int target = DriveNumberOf(path[0]);
    const int previous = CurrentDriveNumber();
    if (target == previous)
        return true;

    const UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    const bool selected = SelectDrive(target);
    SetErrorMode(previousMode);
    if (selected)
        return true;

    SelectDrive(previous);
    std::string message;
    FormatResourceText(message, IDS_DRIVE_FAILED, path[0]);
    ShowMessage(message, MB_ICONINFORMATION);
    errno = ENOENT;
    return false;
}
} // namespace

int ChangeDirectory(const std::string& path)
{
    if (path.empty())
    {
        ShowMessage(IDS_EMPTY_DIR, MB_ICONEXCLAMATION);
        errno = ENOENT;
        return -1;
    }
    if (!SwitchDriveFor(path))
        return -1;
    if (!SetCurrentDirectoryA(path.c_str()))
    {
        SetErrnoFromLastError();
        return -1;
    }
    return 0;
}

bool GetCurrentDir(char* buffer, unsigned size)
{
    char current[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH || length >= size)
        return false;
    std::memcpy(buffer, current, length + 1);
    return true;
}

int CheckAccess(const std::string& path, int mode)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        SetErrnoFromLastError();
        return -1;
    }
    if (mode == kAccessWritable && (attributes & FILE_ATTRIBUTE_READONLY))
    {
        errno = EACCES;
        return -1;
    }
    return 0;
}

int MakeDirectory(const std::string& path)
{
    if (!CreateDirectoryA(path.c_str(), nullptr))
    {
        SetErrnoFromLastError();
        return -1;
    }
    return 0;
}

bool FindEntries(const std::string& pattern, std::vector<FoundEntry>& entries)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
    {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
            return true;
        SetErrnoFromLastError();
        return false;
    }
    do
        entries.push_back(
            {entry.cFileName, entry.dwFileAttributes, entry.dwReserved0,
             (static_cast<ULONGLONG>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow});
    while (FindNextFileA(search, &entry));
    const DWORD ended = GetLastError();
    FindClose(search);
    if (ended == ERROR_NO_MORE_FILES)
        return true;
    errno = ErrnoFromPlatformError(ended);
    return false;
}

bool FindNames(const std::string& pattern, std::vector<std::string>& names)
{
    std::vector<FoundEntry> entries;
    const bool listed = FindEntries(pattern, entries);
    for (FoundEntry& entry : entries)
        names.push_back(std::move(entry.name));
    return listed;
}

bool IsLinkEntry(const FoundEntry& entry)
{
    if (!(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    return entry.reparseTag == IO_REPARSE_TAG_SYMLINK ||
           entry.reparseTag == IO_REPARSE_TAG_MOUNT_POINT || entry.reparseTag == 0;
}
