#include "relocate/DirectoryMover.h"

#include "config/ConfigLayout.h"
#include "relocate/CreatedEntries.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/FileCopy.h"
#include "relocate/FileIdentity.h"
#include "res/resource.h"
#include "ui/MessageReport.h"
#include "ui/NumberTexts.h"
#include "ui/ProgressWindow.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <unordered_set>
#include <vector>

namespace
{
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
    CCarryOver(std::string source, std::string destination, CCreatedEntries* created,
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
    Outcome CopyFile(const std::string& from, const std::string& to);
    Outcome DestinationFailure(int error);
    bool IsDestination(const std::string& path) const;
    bool LiesInSource(const std::string& path) const;
    void AddWork(ULONGLONG files, ULONGLONG bytes);
    bool Cancelled() const { return m_progress != nullptr && m_progress->IsCancelled(); }

    const std::string m_source;
    const std::string m_destination;
    const bool m_sameDrive;
    CCreatedEntries* m_created;
    CProgressWindow* m_progress;
    FileIdentity m_sourceIdentity;
    FileIdentity m_destinationIdentity;
    bool m_destinationKnown;
    // Then a folder carried into the destination could be one of the source's own.
    bool m_destinationHoldsSource = false;
    ULONGLONG m_sourceFiles = 0;
    ULONGLONG m_sourceBytes = 0;
    ULONGLONG m_workFiles = 0;
    ULONGLONG m_workBytes = 0;
};

CCarryOver::CCarryOver(std::string source, std::string destination, CCreatedEntries* created,
                       CProgressWindow* progress)
    : m_source(std::move(source)), m_destination(std::move(destination)),
      m_sameDrive(OnSameDrive(m_source, m_destination)), m_created(created), m_progress(progress),
      m_destinationKnown(ReadFileIdentity(m_destination, m_destinationIdentity))
{
    if (m_destinationKnown && ReadFileIdentity(m_source, m_sourceIdentity))
        m_destinationHoldsSource = IsOrHolds(m_destinationIdentity, m_sourceIdentity);
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
        if (Cancelled())
            return;
        if (IsDotEntry(entry.name) || IsLinkEntry(entry))
            continue;
        if (IsFolder(entry.attributes))
        {
            if (!IsDestination(path))
                Count(path);
        }
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
// only when every entry was carried. A folder that cannot be listed is reported as one that
// cannot be read: its files would otherwise be left behind unnoticed.
Outcome CCarryOver::CarryFolder(const std::string& from, const std::string& to)
{
    std::vector<FoundEntry> entries;
    for (const char* pattern : kListings)
    {
        if (!FindEntries(EntryPath(from, pattern), entries))
        {
            ReportPathFailure(IDS_OPEN_READ_FAILED, from, ErrorText(errno));
            return Outcome::kFailed;
        }
    }
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
    if (IsLinkEntry(entry))
    {
        ReportPathFailure(IDS_OPEN_READ_FAILED, source, LoadResourceText(IDS_LINK_NOT_FOLLOWED));
        return Outcome::kFailed;
    }
    if (IsFolder(entry.attributes))
    {
        // Nothing is copied into itself: the destination, inside the source, is passed over.
        if (IsDestination(source) || !carriedFolders.insert(entry.name).second)
            return Outcome::kCarried;
        return CarrySubfolder(source, destination);
    }

    const ULONGLONG workBefore = m_workBytes;
    // Only an entry that has gone from the source since it was listed is renamed.
    const bool gone = m_sameDrive && CheckAccess(source, kAccessExists) != 0;
    const Outcome outcome =
        gone ? RenameOneFile(source, destination) : CopyFile(source, destination);
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
    else if (LiesInSource(to))
    {
        // A destination that holds the source can hold a folder of the source's own under the
        // name of one being carried: copying into it would overwrite the originals.
        ReportPathFailure(IDS_OPEN_WRITE_FAILED, to, LoadResourceText(IDS_INSIDE_SOURCE));
        return Outcome::kFailed;
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

// The progress window is pumped after every block, also inside a large file, and a cancel
// ends the copy after the current block.
Outcome CCarryOver::CopyFile(const std::string& from, const std::string& to)
{
    const CopyOutcome copied = CopyOneFile(from, to, m_created,
                                           [this](size_t bytes)
                                           {
                                               AddWork(0, bytes);
                                               return !Cancelled();
                                           });
    switch (copied.result)
    {
    case CopyResult::kCopied:
        return Outcome::kCarried;
    case CopyResult::kSourceFailed:
        return Outcome::kFailed;
    case CopyResult::kDestinationFailed:
        return DestinationFailure(copied.error);
    case CopyResult::kCancelled:
        break;
    }
    return Outcome::kStop;
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

// True when the folder at `path` is the destination itself.
bool CCarryOver::IsDestination(const std::string& path) const
{
    FileIdentity entry;
    return m_destinationKnown && ReadFileIdentity(path, entry) &&
           IsSameObject(entry, m_destinationIdentity);
}

// True when the existing folder `path` is the source or lies in it; only possible when the
// destination holds the source.
bool CCarryOver::LiesInSource(const std::string& path) const
{
    FileIdentity folder;
    return m_destinationHoldsSource && ReadFileIdentity(path, folder) &&
           IsOrHolds(m_sourceIdentity, folder);
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
