#include "relocate/DirectoryMover.h"

#include "config/ConfigLayout.h"
#include "relocate/CreatedEntries.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/FileIdentity.h"
#include "res/resource.h"
#include "ui/MessageReport.h"
#include "ui/NumberTexts.h"
#include "ui/ProgressWindow.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <unordered_set>
#include <vector>

namespace
{
const size_t kCopyBlockSize = 512;
// Stream buffers larger than the run-time library's default, for speed.
const size_t kStreamBufferSize = 64 * 1024;
// Every folder is listed twice, once for "*.*" and once for "*", and each listing copies every
// file: each file is copied twice, the second copy overwriting the first.
const char* const kListings[] = {"*.*", "*"};
const ULONGLONG kCopiesPerFile = 2;

std::string EntryPath(const std::string& directory, const std::string& name)
{
    return directory + layout::kPathSeparator + name;
}

bool IsFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLink(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsDotEntry(const std::string& name)
{
    return name == "." || name == "..";
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

// Opens an existing file for writing and truncates it, unless it is read-only: a read-only
// file is never truncated, even where the file system would let a privileged user write it
// (Linux-hosted platforms). Nothing is truncated when the file cannot be examined.
int OpenExistingForWriting(const std::string& path)
{
    const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        return -1;
    HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    FILE_BASIC_INFO basic;
    LARGE_INTEGER size;
    int error = 0;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
        !GetFileSizeEx(file, &size))
        error = ErrnoFromPlatformError(GetLastError());
    else if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)
        error = EACCES;
    else if (size.QuadPart != 0 && _chsize_s(fd, 0) != 0)
        error = errno;
    if (error == 0)
        return fd;
    _close(fd);
    errno = error;
    return -1;
}

// Opens `path` for binary writing: a missing file is created, and recorded in `created`; an
// existing one is truncated as OpenExistingForWriting allows. Sets the error number as a
// refused open does.
FILE* OpenForWriting(const std::string& path, CCreatedEntries* created)
{
    // A file this move created is opened as it stands, unless it has gone meanwhile.
    int fd = -1;
    if (created != nullptr && created->HasFile(path))
        fd = OpenExistingForWriting(path);
    if (fd < 0 && (created == nullptr || !created->HasFile(path) || errno == ENOENT))
    {
        fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0 && created != nullptr)
            created->AddFile(path);
        else if (fd < 0 && errno == EEXIST)
            fd = OpenExistingForWriting(path);
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

// Gives a folder of the destination its source's last-write time, once its contents are in.
void CopyFolderTime(const std::string& from, const std::string& to)
{
    WIN32_FILE_ATTRIBUTE_DATA source;
    if (!GetFileAttributesExA(from.c_str(), GetFileExInfoStandard, &source))
        return;
    HANDLE folder = CreateFileA(to.c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return;
    SetFileTime(folder, nullptr, nullptr, &source.ftLastWriteTime);
    CloseHandle(folder);
}

// How one entry went: carried over, failed (reported; the move goes on), or the move must end
// (the destination is lost, or the user cancelled).
enum class Outcome
{
    kCarried,
    kFailed,
    kStop
};

// One carry-over from a source directory into a destination directory.
class CCarryOver
{
public:
    CCarryOver(const std::string& source, const std::string& destination, CCreatedEntries* created,
               CProgressWindow* progress);

    // Counts the source, checks the destination's free space and carries every entry over.
    int Run();

private:
    void Count(const std::string& folder);
    bool HasRoomForOneCopy();
    Outcome CarryFolder(const std::string& from, const std::string& to);
    Outcome CarryEntry(const std::string& from, const std::string& to, const FoundEntry& entry,
                       std::unordered_set<std::string>& carriedFolders);
    Outcome CarrySubfolder(const std::string& from, const std::string& to);
    Outcome RenameOneFile(const std::string& from, const std::string& to);
    Outcome CopyOneFile(const std::string& from, const std::string& to);
    Outcome CopyContents(FILE* in, FILE* out, const std::string& from, const std::string& to);
    Outcome FinishDestination(FILE* out, const std::string& to, HANDLE in);
    Outcome AbandonCopy(FILE* in, FILE* out, UINT messageId, const std::string& path,
                        bool destinationSide);
    Outcome DestinationFailure(int error);
    bool HoldsDestination(const std::string& path, DWORD attributes) const;
    void AddWork(ULONGLONG files, ULONGLONG bytes);
    bool Cancelled() const { return m_progress != nullptr && m_progress->IsCancelled(); }

    const std::string& m_source;
    const std::string& m_destination;
    const bool m_sameDrive;
    CCreatedEntries* m_created;
    CProgressWindow* m_progress;
    FileIdentity m_destinationIdentity;
    bool m_destinationKnown;
    ULONGLONG m_sourceFiles = 0;
    ULONGLONG m_sourceBytes = 0;
    ULONGLONG m_workFiles = 0;
    ULONGLONG m_workBytes = 0;
};

CCarryOver::CCarryOver(const std::string& source, const std::string& destination,
                       CCreatedEntries* created, CProgressWindow* progress)
    : m_source(source), m_destination(destination), m_sameDrive(OnSameDrive(source, destination)),
      m_created(created), m_progress(progress),
      m_destinationKnown(ReadFileIdentity(destination, m_destinationIdentity))
{
}

int CCarryOver::Run()
{
    if (m_progress != nullptr)
    {
        std::string step;
        FormatResourceText(step, IDS_STEP_COPYING, m_destination.c_str());
        m_progress->BeginStep(step, 0, 0);
    }
    Count(m_source);
    if (Cancelled() || !HasRoomForOneCopy())
        return 0;
    if (m_progress != nullptr)
        m_progress->SetTotals(m_sourceFiles, m_sourceBytes);
    return CarryFolder(m_source, m_destination) == Outcome::kCarried ? 1 : 0;
}

// Counts the files and bytes that the move will carry over, for the free space and the
// progress window: what it will skip is not counted.
void CCarryOver::Count(const std::string& folder)
{
    std::vector<FoundEntry> entries;
    FindEntries(EntryPath(folder, "*"), entries);
    for (const FoundEntry& entry : entries)
    {
        const std::string path = EntryPath(folder, entry.name);
        if (IsDotEntry(entry.name) || IsLink(entry.attributes) ||
            HoldsDestination(path, entry.attributes))
            continue;
        if (IsFolder(entry.attributes))
            Count(path);
        else
        {
            ++m_sourceFiles;
            m_sourceBytes += entry.size;
        }
        if (m_progress != nullptr)
            m_progress->Pump();
    }
}

bool CCarryOver::HasRoomForOneCopy()
{
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(m_destination.c_str(), &available, nullptr, nullptr) ||
        available.QuadPart >= m_sourceBytes)
        return true;
    std::string message;
    FormatResourceText(message, IDS_NOT_ENOUGH_SPACE, m_destination.c_str(), m_source.c_str(),
                       ByteSizeText(m_sourceBytes).c_str(),
                       ByteSizeText(available.QuadPart).c_str());
    ShowMessage(message, MB_ICONEXCLAMATION);
    return false;
}

// Carries every entry of `from` over into the existing folder `to`. The result is kCarried
// only when every entry was carried.
Outcome CCarryOver::CarryFolder(const std::string& from, const std::string& to)
{
    std::vector<FoundEntry> entries;
    for (const char* pattern : kListings)
        FindEntries(EntryPath(from, pattern), entries);
    // A subfolder is carried over, whole, on its first listing only.
    std::unordered_set<std::string> carriedFolders;
    Outcome result = Outcome::kCarried;
    for (const FoundEntry& entry : entries)
    {
        if (IsDotEntry(entry.name))
            continue;
        const Outcome outcome = CarryEntry(from, to, entry, carriedFolders);
        if (outcome == Outcome::kStop || Cancelled())
            return Outcome::kStop;
        if (outcome == Outcome::kFailed)
            result = Outcome::kFailed;
    }
    return result;
}

Outcome CCarryOver::CarryEntry(const std::string& from, const std::string& to,
                               const FoundEntry& entry,
                               std::unordered_set<std::string>& carriedFolders)
{
    const std::string source = EntryPath(from, entry.name);
    const std::string destination = EntryPath(to, entry.name);
    if (IsLink(entry.attributes))
    {
        ReportPathFailure(IDS_OPEN_READ_FAILED, source, LoadResourceText(IDS_LINK_NOT_FOLLOWED));
        return Outcome::kFailed;
    }
    if (IsFolder(entry.attributes))
    {
        if (HoldsDestination(source, entry.attributes) || !carriedFolders.insert(entry.name).second)
            return Outcome::kCarried;
        return CarrySubfolder(source, destination);
    }

    const ULONGLONG workBefore = m_workBytes;
    // Only an entry that has gone from the source since it was listed is renamed.
    const bool gone = m_sameDrive && CheckAccess(source, kAccessExists) != 0;
    const Outcome outcome =
        gone ? RenameOneFile(source, destination) : CopyOneFile(source, destination);
    if (outcome != Outcome::kStop)
        AddWork(1, std::max(m_workBytes, workBefore + entry.size) - m_workBytes);
    return outcome;
}

Outcome CCarryOver::CarrySubfolder(const std::string& from, const std::string& to)
{
    if (CreateDirectoryA(to.c_str(), nullptr))
    {
        if (m_created != nullptr)
            m_created->AddDirectory(to);
    }
    else if (!(GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(GetFileAttributesA(to.c_str()))))
    {
        const int error = ErrnoFromPlatformError(GetLastError());
        ReportPathFailure(IDS_OPEN_WRITE_FAILED, to, ErrorText(error));
        return DestinationFailure(error);
    }
    const Outcome outcome = CarryFolder(from, to);
    CopyFolderTime(from, to);
    return outcome;
}

Outcome CCarryOver::RenameOneFile(const std::string& from, const std::string& to)
{
    if (MoveFileA(from.c_str(), to.c_str()))
    {
        if (m_created != nullptr)
            m_created->AddRenamed(from, to);
        return Outcome::kCarried;
    }
    const std::string error = PlatformErrorText(GetLastError());
    std::string message;
    FormatResourceText(message, IDS_RENAME_FAILED, from.c_str(), to.c_str(), error.c_str());
    ShowMessage(message, MB_ICONEXCLAMATION);
    return Outcome::kFailed;
}

Outcome CCarryOver::CopyOneFile(const std::string& from, const std::string& to)
{
    ClearErrors();
    FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr)
    {
        ReportPathFailure(IDS_OPEN_READ_FAILED, from, ErrorText(StreamError()));
        return Outcome::kFailed;
    }
    ClearErrors();
    FILE* out = OpenForWriting(to, m_created);
    if (out == nullptr)
    {
        const int error = StreamError();
        std::fclose(in);
        ReportPathFailure(IDS_OPEN_WRITE_FAILED, to, ErrorText(error));
        return DestinationFailure(error);
    }
    return CopyContents(in, out, from, to);
}

// Copies block by block; the progress window is pumped after every block, also inside a large
// file, and a cancel ends the copy after the current block.
Outcome CCarryOver::CopyContents(FILE* in, FILE* out, const std::string& from,
                                 const std::string& to)
{
    std::setvbuf(in, nullptr, _IOFBF, kStreamBufferSize);
    std::setvbuf(out, nullptr, _IOFBF, kStreamBufferSize);
    char block[kCopyBlockSize];
    ClearErrors();
    size_t count = std::fread(block, 1, sizeof block, in);
    for (;;)
    {
        if (std::ferror(in))
            return AbandonCopy(in, out, IDS_READ_FAILED, from, false);
        if (count == 0)
        {
            const Outcome outcome = FinishDestination(out, to, HandleOf(in));
            std::fclose(in);
            return outcome;
        }
        ClearErrors();
        std::fwrite(block, 1, count, out);
        if (std::ferror(out))
            return AbandonCopy(in, out, IDS_WRITE_FAILED, to, true);
        AddWork(0, count);
        if (Cancelled())
        {
            std::fclose(in);
            std::fclose(out);
            return Outcome::kStop;
        }
        ClearErrors();
        count = std::fread(block, 1, sizeof block, in);
    }
}

// Puts the destination's buffered bytes on disk, gives it the source's last-write time and
// closes it; a failure is reported as a write error, since the file is then incomplete.
Outcome CCarryOver::FinishDestination(FILE* out, const std::string& to, HANDLE in)
{
    ClearErrors();
    if (std::fflush(out) != 0)
        return AbandonCopy(nullptr, out, IDS_WRITE_FAILED, to, true);
    FILETIME lastWrite;
    if (GetFileTime(in, nullptr, nullptr, &lastWrite))
        SetFileTime(HandleOf(out), nullptr, nullptr, &lastWrite);
    ClearErrors();
    if (std::fclose(out) != 0)
    {
        const int error = StreamError();
        ReportPathFailure(IDS_WRITE_FAILED, to, ErrorText(error));
        return DestinationFailure(error);
    }
    return Outcome::kCarried;
}

// Ends a copy whose read or write failed: the error number is taken first, then both files
// are closed (the destination keeps what was written so far) and the failure is reported.
Outcome CCarryOver::AbandonCopy(FILE* in, FILE* out, UINT messageId, const std::string& path,
                                bool destinationSide)
{
    const int error = StreamError();
    if (in != nullptr)
        std::fclose(in);
    std::fclose(out);
    ReportPathFailure(messageId, path, ErrorText(error));
    return destinationSide ? DestinationFailure(error) : Outcome::kFailed;
}

// After a failure on the destination's side: when the destination itself is lost (its folder
// has gone, or its disk is full), every later entry would fail the same way, so the move ends.
Outcome CCarryOver::DestinationFailure(int error)
{
    if (error == ENOSPC || !IsFolder(GetFileAttributesA(m_destination.c_str())))
        return Outcome::kStop;
    ULARGE_INTEGER available;
    if (GetDiskFreeSpaceExA(m_destination.c_str(), &available, nullptr, nullptr) &&
        available.QuadPart == 0)
        return Outcome::kStop;
    return Outcome::kFailed;
}

// True when `path` is the destination or a folder that holds it: carrying it over would copy
// the destination into itself.
bool CCarryOver::HoldsDestination(const std::string& path, DWORD attributes) const
{
    if (!m_destinationKnown || !IsFolder(attributes))
        return false;
    FileIdentity entry;
    return ReadFileIdentity(path, entry) && IsOrHolds(entry, m_destinationIdentity);
}

// Progress counts each file once, though every file is copied twice.
void CCarryOver::AddWork(ULONGLONG files, ULONGLONG bytes)
{
    m_workFiles += files;
    m_workBytes += bytes;
    if (m_progress == nullptr)
        return;
    m_progress->SetDone(m_workFiles / kCopiesPerFile, m_workBytes / kCopiesPerFile);
    m_progress->Pump();
}
} // namespace

int MoveDirectoryContents(const std::string& source, const std::string& destination,
                          CCreatedEntries* created, CProgressWindow* progress)
{
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
    int result = 1;
    if (!IsSameFileSystemObject(source, destination))
        result = CCarryOver(source, destination, created, progress).Run();
    if (haveSavedDir)
        ChangeDirectory(savedDir);
    return result;
}
