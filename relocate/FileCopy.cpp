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
#include <cwchar>
#include <memory>

namespace
{
// Blocks start at kFirstBlock bytes. A whole block whose read and write took less than a quarter
// of kBlockBudgetMs is followed by one twice its size, up to kLargestBlock; one that took longer
// than kBlockBudgetMs by one half its size, down to kSmallestBlock. Progress is told once per
// block: on a fast disk once per megabyte, while a slow one still lets the reporter pump several
// times a second.
const DWORD kFirstBlock = 64 * 1024;
const DWORD kSmallestBlock = 4 * 1024;
const DWORD kLargestBlock = 1024 * 1024;
const double kBlockBudgetMs = 25;
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

// Calls are judged with fresh error numbers: the run-time library's when it sets one, else the
// platform's last error through the project's own mapping.
void ClearErrors()
{
    errno = 0;
    SetLastError(0);
}

int CallError()
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

double MillisecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// The block of a thread's copies and its size, kept from one copy to the next: a small file
// then costs no allocation, and the next file on a slow disk starts at the size it allows.
struct CopyBlock
{
    std::unique_ptr<char[]> data;
    DWORD capacity = 0;
    DWORD size = kFirstBlock;

    char* Get()
    {
        if (capacity < size)
        {
            data.reset(new char[size]);
            capacity = size;
        }
        return data.get();
    }
};
thread_local CopyBlock t_block;

// The size of the next block, from how long the last one took.
DWORD NextBlockSize(DWORD size, double tookMs)
{
    if (tookMs > kBlockBudgetMs)
        return size / 2 < kSmallestBlock ? kSmallestBlock : size / 2;
    if (tookMs < kBlockBudgetMs / 4)
        return size * 2 > kLargestBlock ? kLargestBlock : size * 2;
    return size;
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
// job it has finished, while it is copied. -1 with the error number set when it cannot.
int OpenSource(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        SetErrnoFromLastError();
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0)
    {
        const int error = errno;
        CloseHandle(file);
        errno = error;
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

    // Opens the file to write; -1 with the error number set when it cannot be, with IsLink()
    // when the destination is a link that must not be written through, or with IsSwapped()
    // when the file would lie outside the destination.
    int Open();
    bool IsLink() const { return m_link; }
    bool IsSwapped() const { return m_swapped; }
    // The file last opened, as its handle gave it.
    const FileIdentity& Opened() const { return m_opened; }
    // Puts a whole temporary copy, proved by `whole`, in the destination's place; false with the
    // error number set.
    bool Complete(const FileIdentity& whole);
    // Removes the temporary copy of a copy that did not complete.
    void Discard();

private:
    int OpenWithin(const std::wstring& path, DWORD disposition);
    int OpenNew(const std::wstring& path);
    int OpenOwnFile(const std::wstring& path);
    int OpenTemporary();

    const std::wstring& m_destination;
    CCreatedEntries& m_created;
    std::wstring m_temporary;
    FileIdentity m_opened; // the file last opened, as its handle gave it
    bool m_link = false;
    bool m_swapped = false;
};

// Opens `path` to write, and makes sure before anything is written that it lies within the
// destination: a folder on its path swapped for a link since it was checked would lead the copy
// elsewhere. A file made there goes again at once; one that was there is left as it was.
int CCopyTarget::OpenWithin(const std::wstring& path, DWORD disposition)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        SetErrnoFromLastError();
        return -1;
    }
    m_swapped = !ReadHandleIdentity(file, m_opened) || !m_created.LiesWithin(m_opened);
    const int fd =
        m_swapped ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (fd < 0)
    {
        const int error = m_swapped ? 0 : errno;
        if (disposition == CREATE_NEW)
            DeleteOnClose(file);
        CloseHandle(file);
        errno = error;
    }
    return fd;
}

int CCopyTarget::OpenNew(const std::wstring& path)
{
    m_created.Intend(false, path);
    const int fd = OpenWithin(path, CREATE_NEW);
    if (fd >= 0)
        m_created.Made(false, path, &m_opened);
    return fd;
}

// Opens a file this copy created before, truncated. What stands at its name instead (a link,
// another's file) is not truncated: EEXIST.
int CCopyTarget::OpenOwnFile(const std::wstring& path)
{
    const int fd = OpenWithin(path, OPEN_EXISTING);
    if (fd >= 0 && !m_created.IsOwnFile(path, m_opened))
    {
        _close(fd);
        errno = EEXIST;
        return -1;
    }
    if (fd >= 0 && _chsize_s(fd, 0) != 0)
    {
        const int error = errno;
        _close(fd);
        errno = error;
        return -1;
    }
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

int CCopyTarget::Open()
{
    const bool own = m_created.HasFile(m_destination);
    int fd = own ? OpenOwnFile(m_destination) : -1;
    // Until it is whole again, only its identity proves it.
    if (fd >= 0)
        m_created.Made(false, m_destination, &m_opened);
    // A file of this copy that has gone meanwhile is made anew.
    if (fd < 0 && !m_swapped && (!own || errno == ENOENT))
        fd = OpenNew(m_destination);
    if (fd < 0 && errno == EEXIST)
    {
        // What was there is never entered, written through or replaced when it leads elsewhere.
        m_link = IsLinkAt(m_destination);
        if (m_link)
            return -1;
        fd = OpenTemporary();
    }
    return fd;
}

// The file that was there is kept aside, journaled first, for a move that does not store its
// change puts it back.
bool CCopyTarget::Complete(const FileIdentity& whole)
{
    if (m_temporary.empty())
    {
        m_created.Completed(m_destination, &whole);
        return true;
    }
    FileIdentity original;
    if (!ReadEntryIdentity(m_destination, original))
    {
        SetErrnoFromLastError();
        Discard();
        return false;
    }
    KeptAsideFile kept{m_destination, std::wstring(), original.volume, original.index};
    bool keptAside = false;
    for (int attempt = 0; attempt < kMostNameAttempts && !keptAside; ++attempt)
    {
        kept.aside = NameBeside(m_destination);
        if (GetFileAttributesW(kept.aside.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        m_created.KeepAside(kept);
        keptAside = MoveFileExW(m_destination.c_str(), kept.aside.c_str(), 0) != FALSE;
        const DWORD error = GetLastError();
        if (!keptAside)
            m_created.ForgetKeptAside(m_destination);
        if (!keptAside && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (keptAside && MoveFileExW(m_temporary.c_str(), m_destination.c_str(), 0))
    {
        m_created.Made(false, m_destination, &whole);
        m_created.Completed(m_destination, &whole);
        return true;
    }
    SetErrnoFromLastError();
    const int error = errno;
    // An original that cannot be put back stays on the list, for the rollback to name it.
    if (keptAside && MoveFileExW(kept.aside.c_str(), m_destination.c_str(), 0))
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
        if (m_in >= 0 || m_out >= 0)
        {
            CloseBoth();
            m_target.Discard();
        }
    }
    CFileCopy(const CFileCopy&) = delete;
    CFileCopy& operator=(const CFileCopy&) = delete;
    CopyOutcome Run(const std::function<bool(const char*, size_t)>& onBlock);

private:
    CopyOutcome Failed(CopyResult result, UINT messageId, const std::wstring& path, int error);
    CopyOutcome Abandon(CopyResult result, UINT messageId, const std::wstring& path);
    int ReadBlock(char* block, DWORD size);
    bool WriteWhole(const char* data, DWORD size);
    CopyOutcome Finish();
    void CloseBoth();

    const std::wstring& m_from;
    const std::wstring& m_to;
    CCopyTarget m_target;
    CReporter& m_reporter;
    int m_in = -1;
    int m_out = -1;
    ULONGLONG m_bytes = 0;
    FILETIME m_lastWrite = {};
    bool m_sourceEnded = false;
};

CopyOutcome CFileCopy::Failed(CopyResult result, UINT messageId, const std::wstring& path,
                              int error)
{
    ReportPathError(m_reporter, messageId, path, error);
    return {result, error, m_bytes, m_lastWrite};
}

void CFileCopy::CloseBoth()
{
    if (m_in >= 0)
        _close(m_in);
    if (m_out >= 0)
        _close(m_out);
    m_in = m_out = -1;
}

// Ends a copy whose read or write failed: the error number is taken first, then both files
// are closed, a temporary copy is removed, and the failure is reported.
CopyOutcome CFileCopy::Abandon(CopyResult result, UINT messageId, const std::wstring& path)
{
    const int error = CallError();
    CloseBoth();
    m_target.Discard();
    return Failed(result, messageId, path, error);
}

// Fills a block from the source: fewer bytes than `size` only where the source ends, which a
// read that yields nothing shows. The end is found before the block is written, since under
// Wine that read costs next to nothing then, and some 70 microseconds per file after a write.
// Reads go through the run-time library, so that a read error quotes the library's own error
// number for the platform's error, as the messages always have on each platform. -1 with the
// error number set when a read fails: the bytes read before it are not written.
int CFileCopy::ReadBlock(char* block, DWORD size)
{
    DWORD filled = 0;
    while (filled < size && !m_sourceEnded)
    {
        ClearErrors();
        const int count = _read(m_in, block + filled, size - filled);
        if (count < 0)
            return -1;
        m_sourceEnded = count == 0;
        filled += static_cast<DWORD>(count);
    }
    return static_cast<int>(filled);
}

// Writes a block through the platform's own call: a short write, which some platforms make on
// a full disk without an error, is carried on until the platform names its cause. False with
// the error number set.
bool CFileCopy::WriteWhole(const char* data, DWORD size)
{
    while (size > 0)
    {
        DWORD written = 0;
        SetLastError(0);
        if (!WriteFile(HandleOf(m_out), data, size, &written, nullptr))
        {
            SetErrnoFromLastError();
            return false;
        }
        // Nothing written and no error: the run-time library's word for it is a full disk.
        if (written == 0)
        {
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Gives the copy the source's last-write time, closes it and puts it in place; a failure is
// reported as a write error, since the copy is then incomplete.
CopyOutcome CFileCopy::Finish()
{
    SetFileTime(HandleOf(m_out), nullptr, nullptr, &m_lastWrite);
    // What proves the whole copy, from its handle: its time as the file system keeps it.
    FileIdentity whole = m_target.Opened();
    whole.size = m_bytes;
    GetFileTime(HandleOf(m_out), nullptr, nullptr, &whole.lastWrite);
    _close(m_in);
    m_in = -1;
    ClearErrors();
    const int closed = _close(m_out);
    m_out = -1;
    if (closed != 0)
    {
        const int error = CallError();
        m_target.Discard();
        return Failed(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, m_to, error);
    }
    if (!m_target.Complete(whole))
        return Failed(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, m_to, errno);
    return {CopyResult::kCopied, 0, m_bytes, m_lastWrite};
}

CopyOutcome CFileCopy::Run(const std::function<bool(const char*, size_t)>& onBlock)
{
    if (m_from.size() > kLongestFilePath)
        return Failed(CopyResult::kSourceFailed, IDS_OPEN_READ_FAILED, m_from, ENAMETOOLONG);
    if (m_to.size() > kLongestFilePath)
        return Failed(CopyResult::kDestinationFailed, IDS_OPEN_WRITE_FAILED, m_to, ENAMETOOLONG);
    ClearErrors();
    m_in = OpenSource(m_from);
    if (m_in < 0)
    {
        // An entry that has gone since it was listed is no failure: there is nothing to carry.
        if (errno == ENOENT)
            return {CopyResult::kSourceGone, 0, 0, {}};
        return Failed(CopyResult::kSourceFailed, IDS_OPEN_READ_FAILED, m_from, CallError());
    }
    // The time as the copy begins: a change during the copy then shows as a newer time.
    GetFileTime(HandleOf(m_in), nullptr, nullptr, &m_lastWrite);
    ClearErrors();
    m_out = m_target.Open();
    if (m_out < 0)
    {
        const int error = CallError();
        CloseBoth();
        if (m_target.IsLink() || m_target.IsSwapped())
        {
            ReportPathFailure(m_reporter, IDS_OPEN_WRITE_FAILED, m_to,
                              LoadResourceTextW(IDS_LINK_NOT_FOLLOWED));
            return {m_target.IsSwapped() ? CopyResult::kSwapped : CopyResult::kDestinationFailed, 0,
                    0, m_lastWrite};
        }
        return Failed(CopyResult::kDestinationFailed, IDS_OPEN_WRITE_FAILED, m_to, error);
    }

    CopyBlock& block = t_block;
    for (;;)
    {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        char* data = block.Get();
        const int count = ReadBlock(data, block.size);
        if (count < 0)
            return Abandon(CopyResult::kSourceFailed, IDS_READ_FAILED, m_from);
        if (count == 0)
            return Finish();
        ClearErrors();
        if (!WriteWhole(data, static_cast<DWORD>(count)))
            return Abandon(CopyResult::kDestinationFailed, IDS_WRITE_FAILED, m_to);
        m_bytes += static_cast<ULONGLONG>(count);
        // Only a whole block tells how fast the disk is: the last of a file may be a few bytes.
        if (static_cast<DWORD>(count) == block.size)
            block.size = NextBlockSize(block.size, MillisecondsSince(start));
        if (onBlock && !onBlock(data, static_cast<size_t>(count)))
        {
            CloseBoth();
            m_target.Discard();
            return {CopyResult::kCancelled, 0, m_bytes, m_lastWrite};
        }
    }
}
} // namespace

CopyOutcome CopyOneFile(const std::wstring& from, const std::wstring& to, CCreatedEntries& created,
                        CReporter& reporter,
                        const std::function<bool(const char*, size_t)>& onBlock)
{
    return CFileCopy(from, to, created, reporter).Run(onBlock);
}
