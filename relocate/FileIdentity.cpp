#include "relocate/FileIdentity.h"

#include <windows.h>

namespace
{
struct FileIdentity
{
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

bool ReadIdentity(const std::string& path, FileIdentity& identity)
{
    // Backup semantics lets a directory be opened; no access right is asked for.
    HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool read = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    if (!read)
        return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}
} // namespace

bool IsSameFileSystemObject(const std::string& first, const std::string& second)
{
    FileIdentity a;
    FileIdentity b;
    if (!ReadIdentity(first, a) || !ReadIdentity(second, b))
        return false;
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}
