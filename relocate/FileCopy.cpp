#include "relocate/FileCopy.h"

#include "base/ErrorTexts.h"
#include "base/ResourceText.h"
#include "relocate/CreatedEntries.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cwchar>

namespace
{
const size_t kCopyBlockSize = 512;
// Stream buffers larger than the run-time library's default, for speed.
const size_t kStreamBufferSize = 64 * 1024;
const wchar_t kTemporaryPrefix[] = L"kel";
const int kMostNameAttempts = 64;

// A name for a new file in the destination's folder that is not there yet, as likely as not.
std::wstring NameBeside(const std::wstring& destination)
{
    static unsigned s_next = GetCurrentProcessId() * 2654435761u;
    wchar_t name[16];
    swprintf(name, 16, L"%ls%04x.tmp", kTemporaryPrefix, (s_next++) & 0xffff);
    const size_t slash = destination.find_last_of(L'\\');
    return destination.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + name;
}

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

HANDLE HandleOf(FILE* stream)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// Makes sure that an existing file may be replaced: it can be opened for writing, examined,
// and is not read-only (a read-only file is never replaced, even where the file system would
// let a privileged user write it). Sets the error number when not.
bool MayReplace(const std::wstring& path)
{
    const int fd = _wopen(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        return false;
    FILE_BASIC_INFO basic;
    int error = 0;
    if (!GetFileInformationByHandleEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), FileBasicInfo,
                                      &basic, sizeof basic))
        error = ErrnoFromPlatformError(GetLastError());
    else if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)
        error = EACCES;
    _close(fd);
    errno = error;
    return error == 0;
}

// Opens the source for reading, sharing it whole: the server may go on writing it, or delete a
// job it has finished, while it is copied. Null with the error number set when it cannot.
FILE* OpenSource(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        SetErrnoFromLastError();
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    FILE* stream = fd >= 0 ? _fdopen(fd, "rb") : nullptr;
    if (stream == nullptr)
    {
        const int error = errno;
        if (fd >= 0)
            _close(fd);
        else
            CloseHandle(file);
        errno = error;
    }
    return stream;
}

// Opens a file this copy created before, truncated.
int OpenOwnFile(const std::wstring& path)
{
    const int fd = _wopen(path.c_str(), _O_WRONLY | _O_BINARY);
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
    CCopyTarget(const std::wstring& destination, CCreatedEntries& created)
        : m_destination(destination), m_created(created)
    {
    }

    // Opens the file to write; null with the error number set when it cannot be, or with
    // IsLink() when the destination is a link that must not be written through.
    FILE* Open();
    bool IsLink() const { return m_link; }
    // Puts a whole temporary copy in the destination's place; false with the error number set.
    bool Complete();
    // Removes the temporary copy of a copy that did not complete.
    void Discard();

private:
    int OpenNew(const std::wstring& path);
    int OpenTemporary();

    const std::wstring& m_destination;
    CCreatedEntries& m_created;
    std::wstring m_temporary;
    bool m_link = false;
};

int CCopyTarget::OpenNew(const std::wstring& path)
{
    m_created.Intend(false, path);
    const int fd =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0)
        m_created.Made(false, path);
    return fd;
}

// A new file beside the destination, under a name of the kind the platform gives temporary
// files ("kelXXXX.tmp"), journaled before it is made.
int CCopyTarget::OpenTemporary()
{
    if (!MayReplace(m_destination))
        return -1;
    for (int attempt = 0; attempt < kMostNameAttempts; ++attempt)
    {
        m_temporary = NameBeside(m_destination);
        const int fd = OpenNew(m_temporary);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

FILE* CCopyTarget::Open()
{
    const bool own = m_created.HasFile(m_destination);
    int fd = own ? OpenOwnFile(m_destination) : -1;
    // Until it is whole again, only its identity proves it.
    if (fd >= 0)
        m_created.Made(false, m_destination);
    // A file of this copy that has gone meanwhile is made anew.
    if (fd < 0 && (!own || errno == ENOENT))
        fd = OpenNew(m_destination);
    if (fd < 0 && errno == EEXIST)
    {
        // What was there is never entered, written through or replaced when it leads elsewhere.
        m_link = IsLinkAt(m_destination);
        if (m_link)
            return nullptr;
        fd = OpenTemporary();
    }
    if (fd < 0)
        return nullptr;
    FILE* stream = _wfdopen(fd, L"wb");
    if (stream == nullptr)
    {
        const int error = errno;
        _close(fd);
        errno = error;
    }
    return stream;
}

// The file that was there is kept aside, journaled first, for a move that does not store its
// change puts it back.
bool CCopyTarget::Complete()
{
    if (m_temporary.empty())
    {
        m_created.Completed(m_destination);
        return true;
    }
    std::wstring aside;
    bool keptAside = false;
    for (int attempt = 0; attempt < kMostNameAttempts && !keptAside; ++attempt)
    {
        aside = NameBeside(m_destination);
        m_created.KeepAside(m_destination, aside);
        keptAside = MoveFileExW(m_destination.c_str(), aside.c_str(), 0) != FALSE;
        if (!keptAside && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (keptAside && MoveFileExW(m_temporary.c_str(), m_destination.c_str(), 0))
    {
        m_created.Made(false, m_destination);
        m_created.Completed(m_destination);
        return true;
    }
    SetErrnoFromLastError();
    const int error = errno;
    if (keptAside)
        MoveFileExW(aside.c_str(), m_destination.c_str(), 0);
    m_created.ForgetKeptAside(m_destination);
    Discard();
    errno = error;
    return false;
}

void CCopyTarget::Discard()
{
    if (!m_temporary.empty())
        DeleteFileW(m_temporary.c_str());
}

// One copy from its open to its end.
class CFileCopy
{
public:
    CFileCopy(const std::wstring& from, const std::wstring& to, CCreatedEntries& created,
              CReporter& reporter)
        : m_from(from), m_to(to), m_target(to, created), m_reporter(reporter)
    {
    }
    // A copy left by an exception is closed and its temporary file removed.
    ~CFileCopy()
    {
        if (m_in != nullptr || m_out != nullptr)
        {
            CloseBoth();
            m_target.Discard();
        }
    }
    CFileCopy(const CFileCopy&) = delete;
    CFileCopy& operator=(const CFileCopy&) = delete;
    CopyOutcome Run(const std::function<bool(size_t)>& onBlock);

private:
    CopyOutcome Failed(CopyResult result, UINT messageId, const std::wstring& path, int error);
    CopyOutcome Abandon(CopyResult result, UINT messageId, const std::wstring& path);
    CopyOutcome Finish();
    void CloseBoth();

    const std::wstring& m_from;
    const std::wstring& m_to;
    CCopyTarget m_target;
    CReporter& m_reporter;
    FILE* m_in = nullptr;
    FILE* m_out = nullptr;
    ULONGLONG m_bytes = 0;
    FILETIME m_lastWrite = {};
};

CopyOutcome CFileCopy::Failed(CopyResult result, UINT messageId, const std::wstring& path,
                              int error)
{
    ReportPathError(m_reporter, messageId, path, error);
    return {result, error, m_bytes, m_lastWrite};
}

void CFileCopy::CloseBoth()
{
    if (m_in != nullptr)
        std::fclose(m_in);
    if (m_out != nullptr)
        std::fclose(m_out);
    m_in = m_out = nullptr;
}

// Ends a copy whose read or write failed: the error number is taken first, then both files
// are closed, a temporary copy is removed, and the failure is reported.
CopyOutcome CFileCopy::Abandon(CopyResult result, UINT messageId, const std::wstring& path)
{
    const int error = StreamError();
    CloseBoth();
    m_target.Discard();
    return Failed(result, messageId, path, error);
}

// Puts the copy's buffered bytes on disk, gives it the source's last-write time, closes it and
// puts it in place; a failure is reported as a write error, since the copy is then incomplete.
CopyOutcome CFileCopy::Finish()
{
    ClearErrors();
    if (std::fflush(m_out) != 0)
        return Abandon(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, m_to);
    SetFileTime(HandleOf(m_out), nullptr, nullptr, &m_lastWrite);
    std::fclose(m_in);
    m_in = nullptr;
    ClearErrors();
    const int closed = std::fclose(m_out);
    m_out = nullptr;
    if (closed != 0)
    {
        const int error = StreamError();
        m_target.Discard();
        return Failed(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, m_to, error);
    }
    if (!m_target.Complete())
        return Failed(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, m_to, errno);
    return {CopyResult::kCopied, 0, m_bytes, m_lastWrite};
}

CopyOutcome CFileCopy::Run(const std::function<bool(size_t)>& onBlock)
{
    if (m_from.size() > kLongestFilePath)
        return Failed(CopyResult::kSourceFailed, IDS_OPEN_READ_FAILED, m_from, ENAMETOOLONG);
    if (m_to.size() > kLongestFilePath)
        return Failed(CopyResult::kDestinationFailed, IDS_OPEN_WRITE_FAILED, m_to, ENAMETOOLONG);
    ClearErrors();
    m_in = OpenSource(m_from);
    if (m_in == nullptr)
    {
        // An entry that has gone since it was listed is no failure: there is nothing to carry.
        if (errno == ENOENT)
            return {CopyResult::kSourceGone, 0, 0, {}};
        return Failed(CopyResult::kSourceFailed, IDS_OPEN_READ_FAILED, m_from, StreamError());
    }
    // The time as the copy begins: a change during the copy then shows as a newer time.
    GetFileTime(HandleOf(m_in), nullptr, nullptr, &m_lastWrite);
    ClearErrors();
    m_out = m_target.Open();
    if (m_out == nullptr)
    {
        const int error = StreamError();
        CloseBoth();
        if (m_target.IsLink())
        {
            ReportPathFailure(m_reporter, IDS_OPEN_WRITE_FAILED, m_to,
                              LoadResourceTextW(IDS_LINK_NOT_FOLLOWED));
            return {CopyResult::kDestinationFailed, 0, 0, m_lastWrite};
        }
        return Failed(CopyResult::kDestinationFailed, IDS_OPEN_WRITE_FAILED, m_to, error);
    }
    std::setvbuf(m_in, nullptr, _IOFBF, kStreamBufferSize);
    std::setvbuf(m_out, nullptr, _IOFBF, kStreamBufferSize);

    char block[kCopyBlockSize];
    ClearErrors();
    size_t count = std::fread(block, 1, sizeof block, m_in);
    for (;;)
    {
        // Bytes that arrive with a read error are not written.
        if (std::ferror(m_in))
            return Abandon(CopyResult::kSourceFailed, IDS_READ_FAILED, m_from);
        if (count == 0)
            return Finish();
        ClearErrors();
        std::fwrite(block, 1, count, m_out);
        if (std::ferror(m_out))
            return Abandon(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, m_to);
        m_bytes += count;
        if (onBlock && !onBlock(count))
        {
            CloseBoth();
            m_target.Discard();
            return {CopyResult::kCancelled, 0, m_bytes, m_lastWrite};
        }
        ClearErrors();
        count = std::fread(block, 1, sizeof block, m_in);
    }
}
} // namespace

CopyOutcome CopyOneFile(const std::wstring& from, const std::wstring& to, CCreatedEntries& created,
                        CReporter& reporter, const std::function<bool(size_t)>& onBlock)
{
    return CFileCopy(from, to, created, reporter).Run(onBlock);
}
