#include "relocate/DirectoryPrimitives.h"

#include "base/ErrorTexts.h"
#include "base/WideText.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>

namespace
{
const int kFirstDrive = 1; // A
const int kLastDrive = 31;
// Entries listed between two calls of a listing's pump.
const size_t kEntriesPerPump = 64;

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
bool SwitchDriveFor(const std::string& path, CReporter& reporter)
{
    const int target = DriveNumberOf(path[0]);
    const int previous = CurrentDriveNumber();
    if (target == previous)
        return true;

    // For this thread only, and added to its mode: the process's own stays as it was set.
    DWORD previousMode = 0;
    SetThreadErrorMode(GetThreadErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX,
                       &previousMode);
    const bool selected = SelectDrive(target);
    SetThreadErrorMode(previousMode, nullptr);
    if (selected)
        return true;

    SelectDrive(previous);
    ReportFormatted(reporter, IDS_DRIVE_FAILED, MB_ICONINFORMATION,
                    {std::wstring(1, static_cast<unsigned char>(path[0]))});
    errno = ENOENT;
    return false;
}

FoundEntry EntryOf(const WIN32_FIND_DATAW& data)
{
    return {data.cFileName, data.dwFileAttributes, data.dwReserved0,
            (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            data.ftLastWriteTime};
}
} // namespace

std::wstring JoinPath(const std::wstring& directory, const std::wstring& name)
{
    return directory + L'\\' + name;
}

int ChangeDirectory(const std::string& path, CReporter& reporter)
{
    if (path.empty())
    {
        ReportMessage(reporter, IDS_EMPTY_DIR, MB_ICONEXCLAMATION);
        errno = ENOENT;
        return -1;
    }
    if (!SwitchDriveFor(path, reporter))
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

CCurrentDirectoryKeeper::CCurrentDirectoryKeeper() : m_haveSaved(GetCurrentDir(m_saved, MAX_PATH))
{
}

void CCurrentDirectoryKeeper::ReturnNow()
{
    if (m_haveSaved)
        SetCurrentDirectoryA(m_saved);
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

bool FindEntries(const std::wstring& pattern, std::vector<FoundEntry>& entries,
                 const std::function<void()>& pump)
{
    if (pattern.size() > kLongestFilePath)
    {
        errno = ENAMETOOLONG;
        return false;
    }
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
    {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
            return true;
        SetErrnoFromLastError();
        return false;
    }
    // Closed however the listing ends: the pump may throw.
    const std::unique_ptr<void, decltype(&FindClose)> closer(search, &FindClose);
    size_t listed = 0;
    do
    {
        entries.push_back(EntryOf(data));
        if (pump && ++listed % kEntriesPerPump == 0)
            pump();
    } while (FindNextFileW(search, &data));
    const DWORD ended = GetLastError();
    if (ended == ERROR_NO_MORE_FILES)
        return true;
    errno = ErrnoFromPlatformError(ended);
    return false;
}

bool FindNames(const std::string& pattern, std::vector<std::string>& names)
{
    std::vector<FoundEntry> entries;
    const bool listed = FindEntries(WidenText(pattern), entries);
    for (const FoundEntry& entry : entries)
        names.push_back(NarrowText(entry.name));
    return listed;
}

bool IsFolderAttributes(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLinkEntry(const FoundEntry& entry)
{
    if (!(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    // A tag that names another place (a link, a junction, a link of the Linux subsystem); others
    // mark files that hold their own data (deduplicated, compressed, held in the cloud).
    return IsReparseTagNameSurrogate(entry.reparseTag) || entry.reparseTag == 0;
}

bool IsLinkAt(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(path.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return IsLinkEntry(EntryOf(data));
}
