#include "relocate/FileIdentity.h"

#include "base/WideText.h"

#include <winternl.h>

#include <unordered_map>

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

FILETIME FileTimeOf(const LARGE_INTEGER& time)
{
    return {static_cast<DWORD>(time.LowPart), static_cast<DWORD>(time.HighPart)};
}

// Some platforms (Wine among them) ask a service for a volume's serial each time, at several
// times the cost of the rest of an identity. A file lies on the volume of the folder that holds
// it, so a file's serial is asked once per folder and thread; a folder's, which may be where
// another volume is mounted, each time.
bool ReadVolumeSerial(HANDLE file, FileIdentity& identity)
{
    const size_t kMostFoldersKept = 1024;
    thread_local std::unordered_map<std::wstring, unsigned long> t_serials;
    const size_t slash = identity.finalPath.find_last_of(L'\\');
    const bool folder = (identity.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring holder = folder || slash == std::wstring::npos
                                    ? std::wstring()
                                    : identity.finalPath.substr(0, slash);
    const auto known = holder.empty() ? t_serials.end() : t_serials.find(holder);
    if (known != t_serials.end())
    {
        identity.volume = known->second;
        return true;
    }
    // A volume that keeps no label answers only the question of a file's whole information.
    DWORD serial = 0;
    BY_HANDLE_FILE_INFORMATION information;
    if (GetVolumeInformationByHandleW(file, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        identity.volume = serial;
    else if (GetFileInformationByHandle(file, &information))
        identity.volume = information.dwVolumeSerialNumber;
    else
        return false;
    if (!holder.empty())
    {
        if (t_serials.size() >= kMostFoldersKept)
            t_serials.clear();
        t_serials.emplace(holder, identity.volume);
    }
    return true;
}
} // namespace

ULONGLONG TimeValue(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool SameTime(const FILETIME& first, const FILETIME& second)
{
    return CompareFileTime(&first, &second) == 0;
}

bool ReadHandleIdentity(HANDLE file, FileIdentity& identity)
{
    // Three small questions: the one for all of a file's information asks its name too, which
    // costs more than the rest together where the platform must ask a service for it.
    FILE_BASIC_INFORMATION basic;
    FILE_STANDARD_INFORMATION standard;
    FILE_INTERNAL_INFORMATION internal;
    IO_STATUS_BLOCK io;
    if (NtQueryInformationFile(file, &io, &basic, sizeof basic, FileBasicInformation) < 0 ||
        NtQueryInformationFile(file, &io, &standard, sizeof standard, FileStandardInformation) <
            0 ||
        NtQueryInformationFile(file, &io, &internal, sizeof internal, FileInternalInformation) < 0)
        return false;
    identity.finalPath = FinalPathOf(file);
    identity.attributes = basic.FileAttributes;
    if (!ReadVolumeSerial(file, identity))
        return false;
    identity.index = static_cast<unsigned long long>(internal.IndexNumber.QuadPart);
    identity.size = static_cast<ULONGLONG>(standard.EndOfFile.QuadPart);
    identity.lastWrite = FileTimeOf(basic.LastWriteTime);
    identity.created = FileTimeOf(basic.CreationTime);
    return true;
}

CHeldEntry::CHeldEntry(const std::wstring& path)
    : m_path(path),
      m_entry(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr))
{
}

CHeldEntry::~CHeldEntry()
{
    if (m_entry != INVALID_HANDLE_VALUE)
        CloseHandle(m_entry);
}

bool CHeldEntry::ReadIdentity(FileIdentity& identity) const
{
    return m_entry != INVALID_HANDLE_VALUE && ReadHandleIdentity(m_entry, identity);
}

bool CHeldEntry::ReadRewritten(FileIdentity& identity) const
{
    FILE_BASIC_INFORMATION basic;
    FILE_STANDARD_INFORMATION standard;
    IO_STATUS_BLOCK io;
    WIN32_FILE_ATTRIBUTE_DATA atPath;
    if (m_entry == INVALID_HANDLE_VALUE ||
        NtQueryInformationFile(m_entry, &io, &basic, sizeof basic, FileBasicInformation) < 0 ||
        NtQueryInformationFile(m_entry, &io, &standard, sizeof standard, FileStandardInformation) <
            0 ||
        !GetFileAttributesExW(m_path.c_str(), GetFileExInfoStandard, &atPath))
        return false;
    const ULONGLONG size = static_cast<ULONGLONG>(standard.EndOfFile.QuadPart);
    const FILETIME lastWrite = FileTimeOf(basic.LastWriteTime);
    const ULONGLONG sizeAtPath =
        (static_cast<ULONGLONG>(atPath.nFileSizeHigh) << 32) | atPath.nFileSizeLow;
    if (sizeAtPath != size || !SameTime(atPath.ftLastWriteTime, lastWrite) ||
        (atPath.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return false;
    identity.size = size;
    identity.lastWrite = lastWrite;
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

bool IsKeptOriginal(const KeptAsideFile& kept)
{
    FileIdentity now;
    return ReadEntryIdentity(kept.aside, now) &&
           (now.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
           now.volume == kept.volume && now.index == kept.index;
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
