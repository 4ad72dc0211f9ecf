#include "relocate/DirectoryMover.h"

#include "config/ConfigLayout.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/FileIdentity.h"
#include "relocate/PlatformErrors.h"
#include "res/resource.h"
#include "ui/MessageReport.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace
{
const size_t kCopyBlockSize = 512;
// Stream buffers larger than the run-time library's default, for speed.
const size_t kStreamBufferSize = 64 * 1024;

std::string EntryPath(const std::string& directory, const std::string& name)
{
    return directory + layout::kPathSeparator + name;
}

// The drive letter of a full path, or 0 when it has none or could not be formed.
char DriveOf(const std::string& path)
{
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length < 2 || length >= MAX_PATH || full[1] != ':')
        return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
}

// Two paths count as on one drive only when both drives are known and equal, so that a path
// whose full form could not be had is always copied.
bool OnSameDrive(const std::string& source, const std::string& destination)
{
    const char sourceDrive = DriveOf(source);
    return sourceDrive != 0 && sourceDrive == DriveOf(destination);
}

void Report(UINT messageId, const std::string& path, int errorNumber)
{
    std::string message;
    FormatResourceText(message, messageId, path.c_str(), ErrorText(errorNumber).c_str());
    ShowMessage(message, MB_ICONEXCLAMATION);
}

// Every name of the current directory, listed twice: once for "*.*" and once for "*".
std::vector<std::string> ListEntriesTwice()
{
    std::vector<std::string> names;
    FindNames("*.*", names);
    FindNames("*", names);
    return names;
}

int CarryOver(const std::string& source, const std::string& destination, bool sameDrive)
{
    int result = 1;
    for (const std::string& name : ListEntriesTwice())
    {
        if (name == "." || name == "..")
            continue;
        // Only an entry that has gone from the source since it was listed is renamed.
        const bool gone = sameDrive && CheckAccess(EntryPath(source, name), kAccessExists) != 0;
        const int entryResult = gone ? RenameOneFile(source, destination, name)
                                     : CopyOneFile(source, destination, name);
        if (entryResult == 0)
            result = 0;
    }
    return result;
}

// Opens `path` for binary writing, created or truncated, in two steps so that a read-only file
// is never truncated, even where the file system would let its owner write it (a privileged
// user on a Linux-hosted platform). Sets the error number as a refused open does.
FILE* OpenForWriting(const std::string& path)
{
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &info);
    int error = 0;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        error = EACCES;
    else if ((info.nFileSizeLow != 0 || info.nFileSizeHigh != 0) && _chsize(fd, 0) != 0)
        error = errno;
    FILE* stream = error == 0 ? _fdopen(fd, "wb") : nullptr;
    if (stream == nullptr)
    {
        if (error == 0)
            error = errno;
        _close(fd);
        errno = error;
    }
    return stream;
}

// Ends a copy whose read or write failed: the error number is taken first, then both files
// are closed (the destination keeps what was written so far) and the failure is reported.
int AbandonCopy(FILE* in, FILE* out, UINT messageId, const std::string& path)
{
    const int error = errno;
    std::fclose(in);
    std::fclose(out);
    Report(messageId, path, error);
    return 0;
}

// Puts the destination's buffered bytes on disk and closes it; reports a failure as a write
// error, since the file is then incomplete.
int FinishDestination(FILE* destination, const std::string& path)
{
    if (std::fflush(destination) != 0)
    {
        const int error = errno;
        std::fclose(destination);
        Report(IDS_WRITE_FAILED, path, error);
        return 0;
    }
    if (std::fclose(destination) != 0)
    {
        Report(IDS_WRITE_FAILED, path, errno);
        return 0;
    }
    return 1;
}
} // namespace

int MoveDirectoryContents(const std::string& source, const std::string& destination)
{
    const bool sameDrive = OnSameDrive(source, destination);
    char savedDir[MAX_PATH];
    const bool haveSavedDir = GetCurrentDir(savedDir, MAX_PATH);

    if (ChangeDirectory(source) != 0)
    {
        std::string message;
        FormatResourceText(message, IDS_ENTER_DIR_FAILED, source.c_str(), ErrorText(errno).c_str());
        ShowMessage(message, MB_ICONSTOP);
        return 0;
    }

    // Copying a directory onto itself would truncate every file before reading it.
    const int result =
        IsSameFileSystemObject(source, destination) ? 1 : CarryOver(source, destination, sameDrive);
    if (haveSavedDir)
        ChangeDirectory(savedDir);
    return result;
}

int RenameOneFile(const std::string& source, const std::string& destination,
                  const std::string& name)
{
    const std::string from = EntryPath(source, name);
    const std::string to = EntryPath(destination, name);
    if (MoveFileA(from.c_str(), to.c_str()))
        return 1;
    const std::string error = ErrorText(ErrnoFromPlatformError(GetLastError()));
    std::string message;
    FormatResourceText(message, IDS_RENAME_FAILED, from.c_str(), to.c_str(), error.c_str());
    ShowMessage(message, MB_ICONEXCLAMATION);
    return 0;
}

int CopyOneFile(const std::string& source, const std::string& destination, const std::string& name)
{
    const std::string from = EntryPath(source, name);
    FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr)
    {
        Report(IDS_OPEN_READ_FAILED, from, errno);
        return 0;
    }
    const std::string to = EntryPath(destination, name);
    FILE* out = OpenForWriting(to);
    if (out == nullptr)
    {
        const int error = errno;
        std::fclose(in);
        Report(IDS_OPEN_WRITE_FAILED, to, error);
        return 0;
    }
    std::setvbuf(in, nullptr, _IOFBF, kStreamBufferSize);
    std::setvbuf(out, nullptr, _IOFBF, kStreamBufferSize);

    char block[kCopyBlockSize];
    size_t count = std::fread(block, 1, sizeof block, in);
    for (;;)
    {
        if (std::ferror(in))
            return AbandonCopy(in, out, IDS_READ_FAILED, from);
        if (count == 0)
        {
            std::fclose(in);
            return FinishDestination(out, to);
        }
        std::fwrite(block, 1, count, out);
        if (std::ferror(out))
            return AbandonCopy(in, out, IDS_WRITE_FAILED, to);
        count = std::fread(block, 1, sizeof block, in);
    }
}
