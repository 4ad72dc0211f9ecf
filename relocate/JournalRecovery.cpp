#include "relocate/JournalRecovery.h"

#include "base/ResourceText.h"
#include "base/WideText.h"
#include "config/ConfigLayout.h"
#include "config/ProfileLocations.h"
#include "config/QueueList.h"
#include "config/ServerSettings.h"
#include "notify/ChangeAudit.h"
#include "relocate/AdministratorsOnly.h"
#include "relocate/ChangeJournal.h"
#include "relocate/ChangeLock.h"
#include "relocate/FileIdentity.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

namespace
{
// The journal at `path`, when an administrator or this user wrote it.
bool ReadTrustedJournal(const std::wstring& path, InterruptedChange& change)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string text;
    FileIdentity identity;
    const bool trusted =
        IsOwnedByAdministratorsOrCaller(file) && ReadHandleIdentity(file, identity);
    char block[4096];
    DWORD read = 0;
    while (trusted && ReadFile(file, block, sizeof block, &read, nullptr) && read > 0)
        text.append(block, read);
    CloseHandle(file);
    change.journal = path;
    return trusted && journal::Read(text, TimeValue(identity.created), change.contents);
}

std::wstring FullPathOf(const std::wstring& path)
{
    wchar_t full[MAX_PATH * 2] = L"";
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : std::wstring();
}

// True when `path`, with its "." and ".." resolved, lies inside the folder `folder`.
bool LiesInside(const std::wstring& path, const std::wstring& folder)
{
    const std::wstring full = FullPathOf(path);
    const std::wstring top = FullPathOf(folder);
    return !top.empty() && full.size() > top.size() + 1 && full[top.size()] == L'\\' &&
           EqualIgnoringCase(full.substr(0, top.size()), top);
}

bool Holds(const std::wstring& holder, const std::wstring& inner)
{
    FileIdentity outer;
    FileIdentity within;
    return !holder.empty() && !inner.empty() && ReadFileIdentity(holder, outer) &&
           ReadFileIdentity(inner, within) && IsOrHolds(outer, within);
}

// True when the server now uses the destination: a profile names it (the root, its log
// folder, a queue's directory), it holds such a folder, or it lies in the folder of a queue
// other than the one moved.
bool IsInUse(const JournalContents& contents, const std::string& serverProfilePath)
{
    const std::wstring& destination = contents.destination;
    const CProfileFile server(serverProfilePath);
    const CProfileFile system(SystemProfilePath(WindowsDirectory()));
    const std::string root = system.GetString(layout::kSettingsSection, layout::kRootDirKey);
    if (!root.empty() && (Holds(destination, WidenText(root)) ||
                          Holds(destination, WidenText(root + layout::kLogDirSuffix))))
        return true;
    const bool queueMoved =
        EqualIgnoringCase(WidenText(contents.setting.key), WidenText(layout::kQueueDirKey));
    for (const std::string& queue : ReadQueueNames(server))
    {
        const std::wstring dir = WidenText(ReadQueueDir(server, queue));
        const bool moved =
            queueMoved && EqualIgnoringCase(WidenText(queue), WidenText(contents.setting.section));
        if (Holds(destination, dir) || (!moved && Holds(dir, destination)))
            return true;
    }
    return false;
}

// True unless the destination's path now leads to a link, or to another folder than the one the
// move began in (as far as the journal knows it); nothing there is no other folder.
bool IsWhereTheMoveWas(const JournalContents& contents)
{
    FileIdentity now;
    const FileIdentity& then = contents.destinationIdentity;
    if (!ReadEntryIdentity(contents.destination, now))
        return true;
    return (now.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
           (then.index == 0 || (now.volume == then.volume && now.index == then.index));
}

// How the event log names the setting of a journal ("directory of queue Alpha").
std::wstring SettingName(const JournalContents& contents)
{
    const JournalSetting& setting = contents.setting;
    if (EqualIgnoringCase(WidenText(setting.key), WidenText(layout::kQueueDirKey)))
        return FormatMessageText(IDS_WHAT_QUEUE, {WidenText(setting.section)});
    if (EqualIgnoringCase(WidenText(setting.key), WidenText(layout::kRootDirKey)))
        return LoadResourceTextW(IDS_WHAT_ROOT);
    return contents.destination;
}

bool StoreWasMade(const JournalContents& contents)
{
    const JournalSetting& store = contents.store;
    return contents.storeNoted &&
           CProfileFile(NarrowText(store.profile))
                   .GetString(store.section.c_str(), store.key.c_str()) == store.value;
}

// The originals a stored move kept aside go, as the move itself would have removed them.
void RemoveKeptAside(const JournalContents& contents)
{
    for (const KeptAsideFile& kept : contents.keptAside)
        if (LiesInside(kept.aside, contents.destination) && IsKeptOriginal(kept))
            DeleteFileW(kept.aside.c_str());
}

// Takes the move back as far as can be proved; gives what is left for a later run, what it
// removed in `removed`, and in `others` what stands at an entry's path now and is not the
// move's (named once, never removed).
JournalContents TakeBack(const JournalContents& contents, CReporter& reporter,
                         std::vector<std::wstring>& removed, std::vector<std::wstring>& others)
{
    JournalContents left = contents;
    left.entries.clear();
    left.keptAside.clear();
    FileIdentity destination;
    ReadFileIdentity(contents.destination, destination);
    reporter.BeginStep(LoadResourceTextW(IDS_STEP_REMOVING_COPIES),
                       contents.entries.size() + contents.keptAside.size(), 0);
    reporter.AllowCancel(false);
    ULONGLONG done = 0;
    for (auto entry = contents.entries.rbegin(); entry != contents.entries.rend(); ++entry)
    {
        EntryProof proof = entry->proof;
        proof.within = destination.finalPath;
        bool other = false;
        // A path that does not lie in the destination was never the move's to make.
        FileIdentity there;
        if (!LiesInside(entry->path, contents.destination) ||
            !ReadEntryIdentity(entry->path, there))
            continue;
        if (RemoveEntryIfProved(entry->path, proof, other))
            removed.push_back(entry->path);
        else if (other)
            others.push_back(entry->path);
        else
            left.entries.insert(left.entries.begin(), *entry);
        reporter.SetDone(++done, 0);
        reporter.Pump();
    }
    for (auto kept = contents.keptAside.rbegin(); kept != contents.keptAside.rend(); ++kept)
    {
        if (LiesInside(kept->original, contents.destination) &&
            LiesInside(kept->aside, contents.destination) && IsKeptOriginal(*kept) &&
            !MoveFileExW(kept->aside.c_str(), kept->original.c_str(), 0))
            left.keptAside.insert(left.keptAside.begin(), *kept);
        reporter.SetDone(++done, 0);
        reporter.Pump();
    }
    return left;
}

std::vector<std::wstring> PathsOf(const JournalContents& left)
{
    std::vector<std::wstring> paths;
    for (const JournalEntry& entry : left.entries)
        paths.push_back(entry.path);
    for (const KeptAsideFile& kept : left.keptAside)
        paths.push_back(kept.aside);
    return paths;
}

// Keeps a journal of what is left, for a later run; never written through what stands there.
void KeepJournalOf(const std::wstring& path, const JournalContents& left)
{
    const std::wstring fresh = path + L".new";
    DeleteFileW(fresh.c_str());
    CAdministratorsOnly access;
    HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, access.Attributes(), CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = journal::Text(left);
    DWORD written = 0;
    const bool whole =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!whole || !MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(fresh.c_str());
}
} // namespace

std::vector<InterruptedChange> FindInterruptedChanges(const std::wstring& folder,
                                                      const CChangeLock& lock)
{
    std::vector<InterruptedChange> changes;
    std::vector<std::wstring> paths = JournalPaths(folder, lock.Key());
    if (lock.EarlierKey() != lock.Key())
        for (const std::wstring& earlier : JournalPaths(folder, lock.EarlierKey()))
            paths.push_back(earlier);
    for (const std::wstring& path : paths)
    {
        InterruptedChange change;
        if (ReadTrustedJournal(path, change))
            changes.push_back(change);
    }
    return changes;
}

void CleanUpInterrupted(const InterruptedChange& change, const std::string& serverProfilePath,
                        CReporter& reporter)
{
    const JournalContents& contents = change.contents;
    if (StoreWasMade(contents))
        RemoveKeptAside(contents);
    else if (!IsWhereTheMoveWas(contents))
    {
        // Nothing is removed through a link, nor from another folder put in the destination's
        // place: what the move made is named for the administrator to look after.
        const std::vector<std::wstring> paths = PathsOf(contents);
        AuditLeftBehind(SettingName(contents), paths);
        ReportCopiesLeft(reporter, paths);
    }
    else if (IsInUse(contents, serverProfilePath))
    {
        AuditNotCleanedUp(contents.destination);
        ReportFormatted(reporter, IDS_INTERRUPTED_IN_USE, MB_ICONINFORMATION,
                        {contents.destination});
    }
    else
    {
        std::vector<std::wstring> removed;
        std::vector<std::wstring> paths;
        const JournalContents left = TakeBack(contents, reporter, removed, paths);
        reporter.EndProgress();
        const std::vector<std::wstring> stuck = PathsOf(left);
        paths.insert(paths.begin(), stuck.begin(), stuck.end());
        if (!paths.empty())
        {
            AuditLeftBehind(SettingName(contents), paths);
            ReportCopiesLeft(reporter, paths);
        }
        if (!stuck.empty())
        {
            KeepJournalOf(change.journal, left);
            return;
        }
        if (!paths.empty())
        {
            DeleteFileW(change.journal.c_str());
            return;
        }
        if (!removed.empty())
        {
            AuditCleanedUp(contents.destination, removed);
            ReportFormatted(reporter, IDS_INTERRUPTED_CLEANED, MB_ICONINFORMATION,
                            {contents.destination});
        }
    }
    DeleteFileW(change.journal.c_str());
}
