#include "relocate/FileCopy.h"

#include "relocate/CreatedEntries.h"
#include "res/resource.h"
#include "ui/ErrorTexts.h"
#include "ui/MessageReport.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace
{
const size_t kCopyBlockSize = 512;
// Stream buffers larger than the run-time library's default, for speed.
const size_t kStreamBufferSize = 64 * 1024;
const char kTemporaryPrefix[] = "kel";

// Stream calls are judged with fresh error numbers: the run-time library's when it sets one,
// else the platform's last error through the project's own mapping, since some run-time
// libraries fail a short write on a full disk without setting errno.
void ClearErrors()
{
    errno = 0;
    SetLastError(0);
}

int StreamError()
{
    if (errno != 0)
        return errno;
    const DWORD error = GetLastError();
    return error != 0 ? ErrnoFromPlatformError(error) : EIO;
}

HANDLE HandleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Makes sure that an existing file may be replaced: it can be opened for writing, examined,
// and is not read-only (a read-only file is never replaced, even where the file system would
// let a privileged user write it). Sets the error number when not.
bool MayReplace(const std::string& path)
{
    const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        return false;
    FILE_BASIC_INFO basic;
    int error = 0;
    if (!GetFileInformationByHandleEx(HandleOf(fd), FileBasicInfo, &basic, sizeof basic))
        error = ErrnoFromPlatformError(GetLastError());
    else if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)
        error = EACCES;
    _close(fd);
    errno = error;
    return error == 0;
}

// Opens a file this copy created before, truncated.
int OpenOwnFile(const std::string& path)
{
    const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd >= 0 && _chsize_s(fd, 0) != 0)
    {
        const int error = errno;
        _close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Where one copy is written: the destination itself, or a temporary file beside it that
// replaces it once whole.
class CCopyTarget
{
public:
    CCopyTarget(const std::string& destination, CCreatedEntries* created)
        : m_destination(destination), m_created(created)
    {
    }

    // Opens the file to write; null with the error number set when it cannot be.
    FILE* Open();
    // Puts a whole temporary copy in the destination's place; false with the error number set.
    bool Complete();
    // Removes the temporary copy of a copy that did not complete.
    void Discard();

private:
    int OpenNew(const std::string& path);

    const std::string& m_destination;
    CCreatedEntries* m_created;
    std::string m_temporary;
};

int CCopyTarget::OpenNew(const std::string& path)
{
    const int fd =
        _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0 && m_created != nullptr)
        m_created->AddFile(path);
    return fd;
}

FILE* CCopyTarget::Open()
{
    const bool own = m_created != nullptr && m_created->HasFile(m_destination);
    int fd = own ? OpenOwnFile(m_destination) : -1;
    // A file of this copy that has gone meanwhile is made anew.
    if (fd < 0 && (!own || errno == ENOENT))
        fd = OpenNew(m_destination);
    if (fd < 0 && errno == EEXIST)
    {
        char temporary[MAX_PATH];
        if (!MayReplace(m_destination))
            return nullptr;
        if (GetTempFileNameA(FolderOf(m_destination).c_str(), kTemporaryPrefix, 0, temporary) == 0)
        {
            SetErrnoFromLastError();
            return nullptr;
        }
        m_temporary = temporary;
        if (m_created != nullptr)
            m_created->AddFile(m_temporary);
        fd = _open(m_temporary.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
    }
    if (fd < 0)
        return nullptr;
    FILE* stream = _fdopen(fd, "wb");
    if (stream == nullptr)
    {
        const int error = errno;
        _close(fd);
        errno = error;
    }
    return stream;
}

bool CCopyTarget::Complete()
{
    if (m_temporary.empty() ||
        MoveFileExA(m_temporary.c_str(), m_destination.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    SetErrnoFromLastError();
    const int error = errno;
    Discard();
    errno = error;
    return false;
}

void CCopyTarget::Discard()
{
    if (!m_temporary.empty())
        DeleteFileA(m_temporary.c_str());
}

CopyOutcome Failed(CopyResult result, UINT messageId, const std::string& path, int error)
{
    ReportPathFailure(messageId, path, ErrorText(error));
    return {result, error};
}

// Ends a copy whose read or write failed: the error number is taken first, then both files
// are closed, a temporary copy is removed, and the failure is reported.
CopyOutcome Abandon(FILE* in, FILE* out, CCopyTarget& target, CopyResult result, UINT messageId,
                    const std::string& path)
{
    const int error = StreamError();
    std::fclose(in);
    std::fclose(out);
    target.Discard();
    return Failed(result, messageId, path, error);
}

// Puts the copy's buffered bytes on disk, gives it the source's last-write time, closes it and
// puts it in place; a failure is reported as a write error, since the copy is then incomplete.
CopyOutcome Finish(FILE* in, FILE* out, CCopyTarget& target, const std::string& to)
{
    ClearErrors();
    if (std::fflush(out) != 0)
        return Abandon(in, out, target, CopyResult::kDestinationFailed, IDS_WRITE_FAILED, to);
    FILETIME lastWrite;
    if (GetFileTime(HandleOf(_fileno(in)), nullptr, nullptr, &lastWrite))
        SetFileTime(HandleOf(_fileno(out)), nullptr, nullptr, &lastWrite);
    std::fclose(in);
    ClearErrors();
    if (std::fclose(out) != 0)
    {
        const int error = StreamError();
        target.Discard();
        return Failed(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, to, error);
    }
    if (!target.Complete())
        return Failed(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, to, errno);
    return {CopyResult::kCopied, 0};
}
} // namespace

CopyOutcome CopyOneFile(const std::string& from, const std::string& to, CCreatedEntries* created,
                        const std::function<bool(size_t)>& onBlock)
{
    ClearErrors();
    FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr)
        return Failed(CopyResult::kSourceFailed, IDS_OPEN_READ_FAILED, from, StreamError());
    CCopyTarget target(to, created);
    ClearErrors();
    FILE* out = target.Open();
    if (out == nullptr)
    {
        const int error = StreamError();
        std::fclose(in);
        return Failed(CopyResult::kDestinationFailed, IDS_OPEN_WRITE_FAILED, to, error);
    }
    std::setvbuf(in, nullptr, _IOFBF, kStreamBufferSize);
    std::setvbuf(out, nullptr, _IOFBF, kStreamBufferSize);

    char block[kCopyBlockSize];
    ClearErrors();
    size_t count = std::fread(block, 1, sizeof block, in);
    for (;;)
    {
        // Bytes that arrive with a read error are not written.
        if (std::ferror(in))
            return Abandon(in, out, target, CopyResult::kSourceFailed, IDS_READ_FAILED, from);
        if (count == 0)
            return Finish(in, out, target, to);
        ClearErrors();
        std::fwrite(block, 1, count, out);
        if (std::ferror(out))
            return Abandon(in, out, target, CopyResult::kDestinationFailed, IDS_WRITE_FAILED, to);
        if (onBlock && !onBlock(count))
        {
            std::fclose(in);
            std::fclose(out);
            target.Discard();
            return {CopyResult::kCancelled, 0};
        }
        ClearErrors();
        count = std::fread(block, 1, sizeof block, in);
    }
}
