#include "relocate/FileIdentity.h"

#include "base/WideText.h"

#include <windows.h>

namespace
{
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

} // namespace

bool ReadFileIdentity(const std::wstring& path, FileIdentity& identity)
{
    // Backup semantics lets a directory be opened; no access right is asked for.
    HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool read = GetFileInformationByHandle(file, &info) != FALSE;
    identity.finalPath = FinalPathOf(file);
    CloseHandle(file);
    if (!read)
        return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index =
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
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

bool IsOrHolds(const FileIdentity& holder, const FileIdentity& inner)
{
    if (IsSameObject(holder, inner))
        return true;
    const std::wstring& outer = holder.finalPath;
    const std::wstring& path = inner.finalPath;
    if (outer.empty() || path.size() <= outer.size())
        return false;
    // A drive's root already ends in its separator.
    const bool separated = outer.back() == L'\\' || path[outer.size()] == L'\\';
    return separated && EqualIgnoringCase(path.substr(0, outer.size()), outer);
}

bool IsSameFileSystemObject(const std::wstring& first, const std::wstring& second)
{
    FileIdentity a;
    FileIdentity b;
    return ReadFileIdentity(first, a) && ReadFileIdentity(second, b) && IsSameObject(a, b);
}
