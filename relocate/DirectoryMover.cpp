#include "relocate/DirectoryMover.h"

#include "base/DiskSpace.h"
#include "base/NumberTexts.h"
#include "base/ReleaseInBatches.h"
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "relocate/CreatedEntries.h"
#include "relocate/FileCopy.h"
#include "relocate/MoveHold.h"
#include "relocate/Reporter.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <shlwapi.h>

#include <cerrno>

namespace
{
// Every folder is listed twice, once for "*.*" and once for "*".
const wchar_t* const kListings[] = {L"*.*", L"*"};
// Settle lists the source at most this often.
const int kMostSettlingRounds = 3;
// A file compared by content is at most this large; a larger one is compared by size and time.
const size_t kMostContentCompared = 1024 * 1024;

bool IsDotEntry(const std::wstring& name)
{
    return name == L"." || name == L"..";
}

std::wstring Below(const std::wstring& relative, const std::wstring& name)
{
    return relative.empty() ? name : JoinPath(relative, name);
}

// Gives a folder of the destination its source's last-write time, once its contents are in.
void CopyFolderTime(const std::wstring& from, const std::wstring& to)
{
    WIN32_FILE_ATTRIBUTE_DATA source;
    if (!GetFileAttributesExW(from.c_str(), GetFileExInfoStandard, &source))
        return;
    HANDLE folder = CreateFileW(to.c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return;
    SetFileTime(folder, nullptr, nullptr, &source.ftLastWriteTime);
    CloseHandle(folder);
}

// A name as the file system compares it, whatever its letter case.
std::wstring UpperCase(std::wstring name)
{
    if (!name.empty())
        CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

// The names of the links and junctions in `folder` (in upper case); none when it cannot be
// listed, as a folder yet to be made cannot.
std::unordered_set<std::wstring> LinksIn(const std::wstring& folder)
{
    std::unordered_set<std::wstring> links;
    std::vector<FoundEntry> entries;
    FindEntries(JoinPath(folder, L"*"), entries);
    for (const FoundEntry& entry : entries)
        if (IsLinkEntry(entry))
            links.insert(UpperCase(entry.name));
    return links;
}

// The whole of a small file, when it is one; false when it cannot be read or is larger than
// `limit`.
bool ReadSmallFile(const std::wstring& path, size_t limit, std::string& content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    content.clear();
    char block[4096];
    DWORD read = 0;
    bool whole = true;
    while ((whole = ReadFile(file, block, sizeof block, &read, nullptr) != FALSE) && read > 0 &&
           content.size() <= limit)
        content.append(block, read);
    CloseHandle(file);
    return whole && content.size() <= limit;
}
} // namespace

CContentMover::CContentMover(const std::string& source, const std::string& destination,
                             CReporter& reporter, CCreatedEntries& created)
    : m_narrowSource(source), m_source(WidenText(source)), m_destination(WidenText(destination)),
      m_reporter(reporter), m_created(created)
{
}

std::wstring CContentMover::SourceOf(const std::wstring& relative) const
{
    return relative.empty() ? m_source : JoinPath(m_source, relative);
}

std::wstring CContentMover::DestinationOf(const std::wstring& relative) const
{
    return relative.empty() ? m_destination : JoinPath(m_destination, relative);
}

bool CContentMover::Cancelled() const
{
    return m_reporter.IsCancelled();
}

bool CContentMover::List(const std::wstring& relative, const wchar_t* pattern,
                         std::vector<FoundEntry>& entries)
{
    return FindEntries(JoinPath(SourceOf(relative), pattern), entries,
                       [this] { m_reporter.Pump(); });
}

bool CContentMover::Survey()
{
    if (ChangeDirectory(m_narrowSource, m_reporter) != 0)
    {
        ReportFormatted(m_reporter, IDS_ENTER_DIR_FAILED, MB_ICONSTOP,
                        {m_source, ErrorTextW(errno)});
        return false;
    }
    const bool freeKnown = FreeBytesAvailable(m_destination, m_freeBytes);
    // Copying a directory onto itself would truncate every file before reading it.
    m_sameDirectory = IsSameFileSystemObject(m_source, m_destination);
    if (m_sameDirectory)
        return true;
    m_destinationKnown = ReadFileIdentity(m_destination, m_destinationIdentity);
    // What the move makes is only ever removed again within the destination as resolved now.
    m_created.SetWithin(m_destinationIdentity.finalPath);
    if (m_destinationKnown && ReadFileIdentity(m_source, m_sourceIdentity))
        m_destinationHoldsSource = IsOrHolds(m_destinationIdentity, m_sourceIdentity);

    m_reporter.BeginStep(FormatMessageText(IDS_STEP_COPYING, {m_destination}), 0, 0);
    if (!FitsPathLimit(m_destination, kLongestFolderPath) || !Count(std::wstring()) || Cancelled())
        return false;
    if (freeKnown && !HasRoomForOneCopy())
        return false;
    m_reporter.SetTotals(m_sourceFiles, m_sourceBytes);
    return true;
}

// Counts the files and bytes that the move will carry over, for the free space and the
// progress: what it will skip is not counted. Refused before anything is copied: a folder that
// cannot be listed, a link in the source or in the destination's way, two names that would be
// one on Windows, and a path beyond the platform's limit.
bool CContentMover::Count(const std::wstring& relative)
{
    std::vector<FoundEntry> entries;
    if (!List(relative, L"*", entries))
    {
        ReportFormatted(m_reporter, IDS_ENTER_DIR_FAILED, MB_ICONSTOP,
                        {SourceOf(relative), ErrorTextW(errno)});
        return false;
    }
    const std::unordered_set<std::wstring> linksThere = LinksIn(DestinationOf(relative));
    std::unordered_set<std::wstring> names;
    for (const FoundEntry& entry : entries)
    {
        if (Cancelled())
            return false;
        const std::wstring below = Below(relative, entry.name);
        if (IsDotEntry(entry.name) || (IsFolderAttributes(entry.attributes) &&
                                       !IsLinkEntry(entry) && IsDestination(SourceOf(below))))
            continue;
        if (IsLinkEntry(entry))
        {
            ReportSourceLink(SourceOf(below));
            return false;
        }
        if (!names.insert(UpperCase(entry.name)).second)
            return ReportWriteRefusal(DestinationOf(below), IDS_NAME_DIFFERS_IN_CASE);
        if (linksThere.count(UpperCase(entry.name)) != 0)
            return ReportWriteRefusal(DestinationOf(below), IDS_LINK_NOT_FOLLOWED);
        if (IsFolderAttributes(entry.attributes))
        {
            if (!FitsPathLimit(DestinationOf(below), kLongestFolderPath) || !Count(below))
                return false;
        }
        else
        {
            if (!FitsPathLimit(DestinationOf(below), kLongestFilePath))
                return false;
            ++m_sourceFiles;
            m_sourceBytes += entry.size;
        }
        m_reporter.Pump();
    }
    return true;
}

bool CContentMover::ReportWriteRefusal(const std::wstring& path, UINT reasonId)
{
    ReportPathFailure(m_reporter, IDS_OPEN_WRITE_FAILED, path, LoadResourceTextW(reasonId));
    return false;
}

bool CContentMover::FitsPathLimit(const std::wstring& path, size_t limit)
{
    if (path.size() <= limit)
        return true;
    ReportPathError(m_reporter, IDS_OPEN_WRITE_FAILED, path, ENAMETOOLONG);
    return false;
}

bool CContentMover::HasRoomForOneCopy()
{
    if (m_freeBytes >= m_sourceBytes)
        return true;
    ReportFormatted(m_reporter, IDS_NOT_ENOUGH_SPACE, MB_ICONEXCLAMATION,
                    {m_destination, m_source, WidenText(ByteSizeText(m_sourceBytes)),
                     WidenText(ByteSizeText(m_freeBytes))});
    return false;
}

bool CContentMover::Carry()
{
    return m_sameDirectory || CarryFolder(std::wstring()) == Outcome::kCarried;
}

// Carries every entry of one folder of the source over into its existing counterpart. The
// result is kCarried only when every entry was carried. A folder that cannot be listed is
// reported as one that cannot be read: its files would otherwise be left behind unnoticed.
CContentMover::Outcome CContentMover::CarryFolder(const std::wstring& relative)
{
    std::vector<FoundEntry> entries;
    for (const wchar_t* pattern : kListings)
    {
        if (!List(relative, pattern, entries))
        {
            ReportPathError(m_reporter, IDS_OPEN_READ_FAILED, SourceOf(relative), errno);
            return Outcome::kFailed;
        }
    }
    m_carried[relative];
    // A subfolder is carried over, whole, on its first listing only.
    std::unordered_set<std::wstring> carriedFolders;
    Outcome result = Outcome::kCarried;
    for (const FoundEntry& entry : entries)
    {
        if (IsDotEntry(entry.name))
            continue;
        Outcome outcome = Outcome::kCarried;
        if (IsLinkEntry(entry))
            outcome = ReportSourceLink(SourceOf(Below(relative, entry.name)));
        else if (!IsFolderAttributes(entry.attributes))
            outcome = CarryFile(relative, entry);
        // Nothing is copied into itself: the destination, inside the source, is passed over.
        else if (!IsDestination(SourceOf(Below(relative, entry.name))) &&
                 carriedFolders.insert(entry.name).second)
            outcome = CarrySubfolder(relative, entry.name);
        if (outcome == Outcome::kStop || Cancelled())
            return Outcome::kStop;
        if (outcome == Outcome::kFailed)
            result = Outcome::kFailed;
        // The second listing passes most entries by without a copy, and so without a pump.
        m_reporter.Pump();
    }
    return result;
}

CContentMover::Outcome CContentMover::ReportSourceLink(const std::wstring& path)
{
    ReportPathFailure(m_reporter, IDS_OPEN_READ_FAILED, path,
                      LoadResourceTextW(IDS_LINK_NOT_FOLLOWED));
    return Outcome::kFailed;
}

// True when this move copied the file and it stands as it stood then: the same size and
// last-write time, asked of the file itself (a folder's listing may lag behind a file held open
// for writing), or at the last look the same content for a file compared by content. A file
// gone since is unchanged here: Settle removes its copy.
bool CContentMover::UnchangedSinceCopied(const std::wstring& relative, const std::wstring& name,
                                         bool lastLook) const
{
    const auto folder = m_carried.find(relative);
    if (folder == m_carried.end())
        return false;
    const auto copied = folder->second.files.find(name);
    if (copied == folder->second.files.end())
        return false;
    const std::wstring source = SourceOf(Below(relative, name));
    WIN32_FILE_ATTRIBUTE_DATA now;
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &now))
        return true;
    const ULONGLONG size = (static_cast<ULONGLONG>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
    if (size != copied->second.size)
        return false;
    std::string content;
    if (lastLook && copied->second.contentKnown)
        return ReadSmallFile(source, kMostContentCompared, content) &&
               content == copied->second.content;
    return SameTime(now.ftLastWriteTime, copied->second.lastWrite);
}

// A job control file changed by the server may keep its size and, within the file system's
// clock, its time: its copy is compared by content, kept as it was read for the copy.
bool CContentMover::ComparesContent(const std::wstring& relative, const std::wstring& name) const
{
    return relative.empty() && !m_contentPattern.empty() &&
           PathMatchSpecW(name.c_str(), m_contentPattern.c_str());
}

// On its second turn a file whose copy is as its source now stands, by size and time, is not
// written again; the last look compares contents too.
CContentMover::Outcome CContentMover::CarryFile(const std::wstring& relative,
                                                const FoundEntry& entry)
{
    if (UnchangedSinceCopied(relative, entry.name, false))
        return Outcome::kCarried;
    return CopyEntry(relative, entry.name);
}

// Copies one file and records what it copied. Progress counts each file once, on its first
// copy, however often it is copied again.
CContentMover::Outcome CContentMover::CopyEntry(const std::wstring& relative,
                                                const std::wstring& name)
{
    // Nothing more is made once the command is cancelled, or abandoned at a session's end.
    if (Cancelled())
        return Outcome::kStop;
    const std::wstring below = Below(relative, name);
    const std::wstring source = SourceOf(below);
    const bool first = m_counted.insert(source).second;
    std::string content;
    bool contentKnown = ComparesContent(relative, name);
    const CopyOutcome copied =
        CopyOneFile(source, DestinationOf(below), m_created, m_reporter,
                    [&](const char* data, size_t bytes)
                    {
                        contentKnown =
                            contentKnown && content.size() + bytes <= kMostContentCompared;
                        if (contentKnown)
                            content.append(data, bytes);
                        AddWork(0, first ? bytes : 0);
                        return !Cancelled();
                    });
    // No move goes on without its journal: what it makes must be known to a later cleanup.
    if (!m_created.Journaled())
    {
        ReportJournalFailure(m_reporter, m_created.JournalPath(), m_created.JournalError());
        return Outcome::kStop;
    }
    auto& files = m_carried[relative].files;
    if (copied.result == CopyResult::kCopied)
    {
        files[name] = {copied.bytes, copied.lastWrite, contentKnown,
                       contentKnown ? std::move(content) : std::string()};
        HoldMoveAt("copy", m_reporter);
    }
    else if (copied.result != CopyResult::kSourceGone)
        files.erase(name);
    if (first && copied.result != CopyResult::kCancelled)
        AddWork(1, 0);
    switch (copied.result)
    {
    case CopyResult::kCopied:
    case CopyResult::kSourceGone:
        return Outcome::kCarried;
    case CopyResult::kSourceFailed:
        return Outcome::kFailed;
    case CopyResult::kDestinationFailed:
        return DestinationFailure(copied.error, DestinationOf(relative));
    case CopyResult::kSwapped:
    case CopyResult::kCancelled:
        break;
    }
    return Outcome::kStop;
}

CContentMover::Outcome CContentMover::CarrySubfolder(const std::wstring& relative,
                                                     const std::wstring& name)
{
    if (Cancelled())
        return Outcome::kStop;
    const std::wstring below = Below(relative, name);
    const std::wstring to = DestinationOf(below);
    m_created.Intend(true, to);
    if (CreateDirectoryW(to.c_str(), nullptr))
        m_created.Made(true, to);
    else if (GetLastError() != ERROR_ALREADY_EXISTS)
    {
        const int error = ErrnoFromPlatformError(GetLastError());
        ReportPathError(m_reporter, IDS_OPEN_WRITE_FAILED, to, error);
        return DestinationFailure(error, DestinationOf(relative));
    }
    if (!m_created.Journaled())
    {
        ReportJournalFailure(m_reporter, m_created.JournalPath(), m_created.JournalError());
        return Outcome::kStop;
    }
    FileIdentity entered;
    const bool found = ReadEntryIdentity(to, entered);
    if (!found || !IsWhereExpected(entered, below))
    {
        // A link swapped in meanwhile: written through, the copies would land elsewhere.
        ReportWriteRefusal(to, IDS_LINK_NOT_FOLLOWED);
        return Outcome::kStop;
    }
    if (!IsFolderAttributes(entered.attributes))
    {
        ReportPathError(m_reporter, IDS_OPEN_WRITE_FAILED, to, EEXIST);
        return Outcome::kFailed;
    }
    else if (LiesInSource(to))
    {
        // A destination that holds the source can hold a folder of the source's own under the
        // name of one being carried: copying into it would overwrite the originals.
        ReportPathFailure(m_reporter, IDS_OPEN_WRITE_FAILED, to,
                          LoadResourceTextW(IDS_INSIDE_SOURCE));
        return Outcome::kFailed;
    }
    m_carried[relative].folders.insert(name);
    HoldMoveAt("folder", m_reporter);
    const Outcome outcome = CarryFolder(below);
    CopyFolderTime(SourceOf(below), to);
    return outcome;
}

CContentMover::Settled CContentMover::Settle(const SettleChecks& checks)
{
    if (m_sameDirectory)
        return Settled::kSettled;
    for (int round = 0; round < kMostSettlingRounds; ++round)
    {
        if (checks.beforeListing && !checks.beforeListing())
            return Settled::kFailed;
        HoldMoveAt("listing", m_reporter);
        m_reporter.BeginStep(FormatMessageText(IDS_STEP_CHECKING_COPIES, {m_source}), 0, 0);
        Round found;
        if (Relist(std::wstring(), m_contentPattern, found) != Outcome::kCarried)
            return Settled::kFailed;
        if (found.changes == 0)
            return Settled::kSettled;
        if (!found.files.empty() && checks.changedFiles && !checks.changedFiles(found.files))
            return Settled::kFailed;
    }
    ReportFormatted(m_reporter, IDS_KEPT_CHANGING, MB_ICONEXCLAMATION, {m_source});
    return Settled::kKeptChanging;
}

// Lists one folder of the source once and brings its counterpart in line: what is new or has
// changed is carried (again), and the copies of what has gone are removed.
CContentMover::Outcome CContentMover::Relist(const std::wstring& relative,
                                             const std::wstring& pattern, Round& round)
{
    std::vector<FoundEntry> entries;
    if (!List(relative, L"*", entries))
    {
        ReportPathError(m_reporter, IDS_OPEN_READ_FAILED, SourceOf(relative), errno);
        return Outcome::kFailed;
    }
    std::unordered_set<std::wstring> present;
    for (const FoundEntry& entry : entries)
    {
        m_reporter.Pump();
        const std::wstring below = Below(relative, entry.name);
        if (IsDotEntry(entry.name) || (IsFolderAttributes(entry.attributes) &&
                                       !IsLinkEntry(entry) && IsDestination(SourceOf(below))))
            continue;
        present.insert(entry.name);
        const CarriedFolder& carried = m_carried[relative];
        Outcome outcome = Outcome::kCarried;
        if (IsLinkEntry(entry))
            outcome = ReportSourceLink(SourceOf(below));
        else if (IsFolderAttributes(entry.attributes))
        {
            const bool known = carried.folders.count(entry.name) != 0;
            round.changes += known ? 0 : 1;
            outcome =
                known ? Relist(below, std::wstring(), round) : CarrySubfolder(relative, entry.name);
        }
        else
        {
            if (UnchangedSinceCopied(relative, entry.name, true))
                continue;
            ++round.changes;
            if (!pattern.empty() && PathMatchSpecW(entry.name.c_str(), pattern.c_str()))
                round.files.push_back(entry.name);
            outcome = CopyEntry(relative, entry.name);
        }
        if (outcome != Outcome::kCarried || Cancelled())
            return outcome == Outcome::kFailed ? Outcome::kFailed : Outcome::kStop;
    }
    // Whatever was carried from here and is no longer listed has gone from the source.
    CarriedFolder& carried = m_carried[relative];
    std::vector<std::wstring> goneFiles;
    for (const auto& file : carried.files)
        if (present.count(file.first) == 0)
            goneFiles.push_back(file.first);
    // A copy that cannot be removed (a folder that allows no deletion) would stand in the new
    // directory as a job the server has finished: the move fails, and its rollback lists it.
    bool removed = true;
    for (const std::wstring& name : goneFiles)
        removed = RemoveCopy(relative, name) && removed;
    std::vector<std::wstring> goneFolders;
    for (const std::wstring& folder : carried.folders)
        if (present.count(folder) == 0)
            goneFolders.push_back(folder);
    for (const std::wstring& name : goneFolders)
    {
        removed = RemoveFolderCopy(Below(relative, name)) && removed;
        m_carried[relative].folders.erase(name);
    }
    round.changes += goneFiles.size() + goneFolders.size();
    return removed ? Outcome::kCarried : Outcome::kFailed;
}

// Only a copy that this move created goes; a file that was there before stays as it is.
bool CContentMover::RemoveCopy(const std::wstring& relative, const std::wstring& name)
{
    const std::wstring copy = DestinationOf(Below(relative, name));
    m_carried[relative].files.erase(name);
    return !m_created.HasFile(copy) || m_created.Remove(copy);
}

bool CContentMover::RemoveFolderCopy(const std::wstring& relative)
{
    const auto found = m_carried.find(relative);
    if (found == m_carried.end())
        return true;
    const CarriedFolder carried = found->second;
    bool removed = true;
    for (const auto& file : carried.files)
        removed = RemoveCopy(relative, file.first) && removed;
    for (const std::wstring& folder : carried.folders)
        removed = RemoveFolderCopy(Below(relative, folder)) && removed;
    m_carried.erase(relative);
    const std::wstring copy = DestinationOf(relative);
    return (!m_created.HasFolder(copy) || m_created.Remove(copy)) && removed;
}

std::vector<std::wstring> CContentMover::CarriedFiles(const std::wstring& pattern) const
{
    std::vector<std::wstring> files;
    const auto top = m_carried.find(std::wstring());
    if (top == m_carried.end())
        return files;
    for (const auto& file : top->second.files)
        if (PathMatchSpecW(file.first.c_str(), pattern.c_str()))
            files.push_back(JoinPath(m_destination, file.first));
    return files;
}

void CContentMover::ForgetCarried(const std::function<void()>& pump)
{
    for (auto& folder : m_carried)
        ReleaseInBatches(folder.second.files, pump);
    m_carried.clear();
    ReleaseInBatches(m_counted, pump);
}

// After a failure on the destination's side: when the destination itself is lost (its folder
// has gone, or its disk is full), or the folder refuses every new file (access denied,
// read-only media), every later entry would fail the same way, so the move ends.
CContentMover::Outcome CContentMover::DestinationFailure(int error, const std::wstring& folder)
{
    if (error == ENOSPC || !IsFolderAttributes(GetFileAttributesW(m_destination.c_str())) ||
        VolumeIsFull(m_destination))
        return Outcome::kStop;
    if (error != 0 && !CanCreateIn(folder))
        return Outcome::kStop;
    return Outcome::kFailed;
}

// True when a new file can be made in `folder`: a failure there that this says no to would
// meet every later entry too. The probe is one of the move's own files: when it cannot be
// removed again, the rollback lists it.
bool CContentMover::CanCreateIn(const std::wstring& folder)
{
    static unsigned s_probes = 0;
    const std::wstring probe =
        JoinPath(folder, L"kel-probe-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(++s_probes) + L".tmp");
    m_created.Intend(false, probe);
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    m_created.Made(false, probe);
    m_created.Remove(probe);
    return true;
}

// True when the entry `entered`, reached as `relative` below the destination, is no link and
// lies where the destination as first resolved says it should.
bool CContentMover::IsWhereExpected(const FileIdentity& entered, const std::wstring& relative) const
{
    if ((entered.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return false;
    const std::wstring& top = m_destinationIdentity.finalPath;
    if (top.empty() || entered.finalPath.empty())
        return true;
    const std::wstring expected = top.back() == L'\\' ? top + relative : JoinPath(top, relative);
    return EqualIgnoringCase(entered.finalPath, expected);
}

// True when the folder at `path` is the destination itself.
bool CContentMover::IsDestination(const std::wstring& path) const
{
    FileIdentity entry;
    return m_destinationKnown && ReadFileIdentity(path, entry) &&
           IsSameObject(entry, m_destinationIdentity);
}

// True when the existing folder `path` is the source or lies in it; only possible when the
// destination holds the source.
bool CContentMover::LiesInSource(const std::wstring& path) const
{
    FileIdentity folder;
    return m_destinationHoldsSource && ReadFileIdentity(path, folder) &&
           IsOrHolds(m_sourceIdentity, folder);
}

void CContentMover::AddWork(ULONGLONG files, ULONGLONG bytes)
{
    m_workFiles += files;
    m_workBytes += bytes;
    m_reporter.SetDone(m_workFiles, m_workBytes);
    m_reporter.Pump();
}

int MoveDirectoryContents(const std::string& source, const std::string& destination,
                          CReporter& reporter)
{
    CCreatedEntries created;
    CContentMover mover(source, destination, reporter, created);
    const bool moved =
        mover.Survey() && mover.Carry() && mover.Settle() == CContentMover::Settled::kSettled;
    // Nothing is taken back here: what a copy replaced stays replaced.
    created.DropKeptAside();
    return moved ? 1 : 0;
}
