#include "base/DiskSpace.h"

bool FreeBytesAvailable(const std::wstring& directory, ULONGLONG& bytes)
{
    // A folder yet to be made is measured on the nearest one above it that exists.
    std::wstring folder = directory;
    for (;;)
    {
        ULARGE_INTEGER available;
        if (GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
        {
            bytes = available.QuadPart;
            return true;
        }
        const DWORD error = GetLastError();
        while (!folder.empty() && folder.back() == L'\\')
            folder.pop_back();
        const size_t slash = folder.find_last_of(L'\\');
        if ((error != ERROR_PATH_NOT_FOUND && error != ERROR_FILE_NOT_FOUND) ||
            slash == std::wstring::npos)
            return false;
        folder.resize(slash + 1);
    }
}

bool VolumeIsFull(const std::wstring& directory)
{
    ULONGLONG bytes = 0;
    return FreeBytesAvailable(directory, bytes) && bytes == 0;
}
