#include "relocate/FileIdentity.h"

#include "base/WideText.h"

namespace
{
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring FinalPathOf(HANDLE file)
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetFinalPathNameByHandleW(file, buffer, MAX_PATH, FILE_NAME_NORMALIZED);
    if (length > 0 && length < MAX_PATH)
        return std::wstring(buffer, length);
    if (length >= MAX_PATH)
    {
        std::wstring longer(length, L'\0');
        const DWORD written =
            GetFinalPathNameByHandleW(file, &longer[0], length, FILE_NAME_NORMALIZED);
        if (written > 0 && written < length)
            return longer.substr(0, written);
    }
    return std::wstring();
}

// Backup semantics lets a directory be opened; no access right is asked for unless given.
bool ReadIdentityAt(const std::wstring& path, DWORD flags, FileIdentity& identity)
{
    HANDLE file = CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool read = ReadHandleIdentity(file, identity);
    CloseHandle(file);
    return read;
}

bool SameTime(const FILETIME& first, const FILETIME& second)
{
    return CompareFileTime(&first, &second) == 0;
}
} // namespace

bool ReadHandleIdentity(HANDLE file, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    identity.finalPath = FinalPathOf(file);
    if (!GetFileInformationByHandle(file, &info))
        return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index =
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.attributes = info.dwFileAttributes;
    identity.size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    identity.lastWrite = info.ftLastWriteTime;
    identity.created = info.ftCreationTime;
    return true;
}

bool ReadFileIdentity(const std::wstring& path, FileIdentity& identity)
{
    return ReadIdentityAt(path, 0, identity);
}

bool ReadEntryIdentity(const std::wstring& path, FileIdentity& identity)
{
    return ReadIdentityAt(path, FILE_FLAG_OPEN_REPARSE_POINT, identity);
}

bool IsSameObject(const FileIdentity& first, const FileIdentity& second)
{
    const bool indexKnown = first.index != 0 && second.index != 0;
    if (indexKnown && (first.volume != second.volume || first.index != second.index))
        return false;
    if (!first.finalPath.empty() && !second.finalPath.empty())
        return EqualIgnoringCase(first.finalPath, second.finalPath);
    return indexKnown;
}

bool FinalPathLiesIn(const std::wstring& path, const std::wstring& folder)
{
    if (folder.empty() || path.size() <= folder.size())
        return false;
    // A drive's root already ends in its separator.
    const bool separated = folder.back() == L'\\' || path[folder.size()] == L'\\';
    return separated && EqualIgnoringCase(path.substr(0, folder.size()), folder);
}

bool IsOrHolds(const FileIdentity& holder, const FileIdentity& inner)
{
    return IsSameObject(holder, inner) || FinalPathLiesIn(inner.finalPath, holder.finalPath);
}

bool IsSameFileSystemObject(const std::wstring& first, const std::wstring& second)
{
    FileIdentity a;
    FileIdentity b;
    return ReadFileIdentity(first, a) && ReadFileIdentity(second, b) && IsSameObject(a, b);
}

namespace
{
ULONGLONG TimeValue(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
} // namespace

bool IsProvedBy(const FileIdentity& now, const EntryProof& proof)
{
    const bool folder = (now.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder != proof.folder || (now.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        (!proof.within.empty() && !FinalPathLiesIn(now.finalPath, proof.within)))
        return false;
    if (!proof.proved)
        return TimeValue(now.created) > proof.madeAfter;
    const FileIdentity& made = proof.identity;
    return now.volume == made.volume && now.index == made.index &&
           (folder || !proof.whole ||
            (now.size == made.size && SameTime(now.lastWrite, made.lastWrite)));
}

bool DeleteOnClose(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
}

bool RemoveEntryIfProved(const std::wstring& path, const EntryProof& proof, bool& other)
{
    other = false;
    HANDLE entry = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                               kShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (entry == INVALID_HANDLE_VALUE)
    {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    FileIdentity now;
    other = !ReadHandleIdentity(entry, now) || !IsProvedBy(now, proof);
    bool removed = false;
    DWORD error = 0;
    if (!other)
    {
        // A copy that the move made read-only goes all the same.
        FILE_BASIC_INFO basic = {};
        basic.FileAttributes = proof.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(entry, FileBasicInfo, &basic, sizeof basic);
        removed = DeleteOnClose(entry);
        error = GetLastError();
    }
    CloseHandle(entry);
    if (!removed)
        return !other && proof.folder && error == ERROR_DIR_NOT_EMPTY;
    // Some platforms report a removal that the file system then refuses as done.
    FileIdentity after;
    return !ReadEntryIdentity(path, after) || after.index != now.index;
}
