#include "framework/DiskSpace.h"

bool FreeBytesAvailable(const std::wstring& directory, ULONGLONG& bytes)
{
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(directory.c_str(), &available, nullptr, nullptr))
        return false;
    bytes = available.QuadPart;
    return true;
}

bool VolumeIsFull(const std::wstring& directory)
{
    ULONGLONG bytes = 0;
    return FreeBytesAvailable(directory, bytes) && bytes == 0;
}
