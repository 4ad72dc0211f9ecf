#include "base/ErrorTexts.h"

#include <cerrno>
#include <cstring>

namespace
{
// ERROR_DISK_QUOTA_EXCEEDED, which not every SDK's headers name.
const DWORD kDiskQuotaExceeded = 1295;

struct ErrorMapping
{
    DWORD error;
    int errnoValue;
};

const ErrorMapping kMappings[] = {
    {ERROR_INVALID_FUNCTION, EINVAL},
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_ARENA_TRASHED, ENOMEM},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_INVALID_BLOCK, ENOMEM},
    {ERROR_BAD_ENVIRONMENT, E2BIG},
    {ERROR_BAD_FORMAT, ENOEXEC},
    {ERROR_INVALID_ACCESS, EINVAL},
    {ERROR_INVALID_DATA, EINVAL},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_CURRENT_DIRECTORY, EACCES},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_NO_MORE_FILES, ENOENT},
    {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_NETWORK_ACCESS_DENIED, EACCES},
    {ERROR_BAD_NET_NAME, ENOENT},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_CANNOT_MAKE, EACCES},
    {ERROR_FAIL_I24, EACCES},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_NO_PROC_SLOTS, EAGAIN},
    {ERROR_DRIVE_LOCKED, EACCES},
    {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_INVALID_TARGET_HANDLE, EBADF},
    {ERROR_WAIT_NO_CHILDREN, ECHILD},
    {ERROR_CHILD_NOT_COMPLETE, ECHILD},
    {ERROR_DIRECT_ACCESS_HANDLE, EBADF},
    {ERROR_NEGATIVE_SEEK, EINVAL},
    {ERROR_SEEK_ON_DEVICE, EACCES},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_NOT_LOCKED, EACCES},
    {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_MAX_THRDS_REACHED, EAGAIN},
    {ERROR_LOCK_FAILED, EACCES},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_NESTING_NOT_ALLOWED, EAGAIN},
    {ERROR_NOT_ENOUGH_QUOTA, ENOMEM},
    // A full disk also shows as a full handle or an exhausted quota; a name beyond the path
    // limit is no missing file.
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {kDiskQuotaExceeded, ENOSPC},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
};
// Not every run-time library has a text of its own for this one.
const char kNameTooLongText[] = "File name too long";

// Write-protected, not-ready, sharing and lock violations and the like.
const DWORD kFirstAccessError = ERROR_WRITE_PROTECT;          // 19
const DWORD kLastAccessError = ERROR_SHARING_BUFFER_EXCEEDED; // 36
const DWORD kFirstExecError = ERROR_INVALID_STARTING_CODESEG; // 188
const DWORD kLastExecError = ERROR_INFLOOP_IN_RELOC_CHAIN;    // 202
} // namespace

int ErrnoFromPlatformError(DWORD error)
{
    for (const ErrorMapping& mapping : kMappings)
        if (mapping.error == error)
            return mapping.errnoValue;
    if (error >= kFirstAccessError && error <= kLastAccessError)
        return EACCES;
    if (error >= kFirstExecError && error <= kLastExecError)
        return ENOEXEC;
    return EINVAL;
}

void SetErrnoFromLastError()
{
    errno = ErrnoFromPlatformError(GetLastError());
}

std::string ErrorText(int errorNumber)
{
    if (errorNumber == ENAMETOOLONG)
        return kNameTooLongText;
    return std::strerror(errorNumber);
}

std::wstring ErrorTextW(int errorNumber)
{
    const std::string text = ErrorText(errorNumber);
    return std::wstring(text.begin(), text.end()); // the texts are ASCII
}
