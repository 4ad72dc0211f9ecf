#pragma once

#include "relocate/DirectoryPrimitives.h"
#include "relocate/FileIdentity.h"

#include <windows.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CCreatedEntries;
class CReporter;

// Carries every entry of a source directory over into a destination directory (both absolute
// paths in the host code page, used as given), copying each file and deleting nothing in the
// source; subfolders are created in the destination and carried over in the same way, at any
// depth. Entries are listed and carried by their exact, wide-character names.
//
// - Survey enters the source (message 12 when it cannot), counts its files and bytes, and
//   refuses, before anything is copied, a destination path beyond the platform's limit
//   (message 9) and a destination that cannot hold one copy of them (message 21).
// - Carry lists every folder twice, as "*.*" and "*", and carries each entry on its turn in
//   both listings; on its second turn a file is written again only when it changed since its
//   copy (its size or last-write time), or its copy failed. Each failure of a single entry is
//   reported in a message box and the carry goes on with the next; a failure that every later
//   entry would meet too (the destination gone, full, refusing to be written, read-only) ends
//   it after that one message. An entry that has gone when its turn comes is no failure.
// - Settle lists the source again, until a listing finds nothing to do, at most three rounds:
//   new and changed files are carried again, and the copies this move made of entries that
//   have gone are removed. A source that keeps changing is reported (message 24).
// - Links and junctions are never followed, in the source or in the destination: each is
//   reported as an entry that cannot be read or written.
// - When both paths reach the same directory nothing is carried; an entry that is the
//   destination, or holds it, is not carried into itself.
// - Each copy gets its source's last-write time, and so does each carried folder.
//
// Every file and folder the move creates in the destination is added to `created`, when
// given. The reporter hears of every failure and the progress ("N of M files", counting each
// file once), and is pumped throughout; after a cancel the move stops after the current block.
class CContentMover
{
public:
    CContentMover(const std::string& source, const std::string& destination, CReporter& reporter,
                  CCreatedEntries& created);
    CContentMover(const CContentMover&) = delete;
    CContentMover& operator=(const CContentMover&) = delete;

    bool Survey();
    ULONGLONG SourceFiles() const { return m_sourceFiles; }
    ULONGLONG SourceBytes() const { return m_sourceBytes; }
    ULONGLONG FreeBytes() const { return m_freeBytes; }

    // True when every entry was carried over.
    bool Carry();

    enum class Settled
    {
        kSettled,
        kFailed,      // reported
        kKeptChanging // reported (message 24)
    };
    // `changedFiles` is told of every file at the top of the source matching `pattern` that
    // changed or appeared since it was carried; it returns false (having reported why) to
    // end the move.
    using ChangedFilesCheck = std::function<bool(const std::vector<std::wstring>& changedFiles)>;
    Settled Settle(const std::wstring& pattern = std::wstring(),
                   const ChangedFilesCheck& changedFiles = nullptr);

    // The destination's paths of the files at its top that match `pattern` and that this move
    // carried over (and whose source still exists).
    std::vector<std::wstring> CarriedFiles(const std::wstring& pattern) const;

private:
    enum class Outcome
    {
        kCarried,
        kFailed, // reported; the move goes on
        kStop    // the move must end: the destination is lost, or the user cancelled
    };
    struct CopiedFile
    {
        ULONGLONG size;
        FILETIME lastWrite;
    };
    // What has been carried into one folder of the destination, by its path below the top.
    struct CarriedFolder
    {
        std::unordered_map<std::wstring, CopiedFile> files;
        std::unordered_set<std::wstring> folders;
    };
    // One round of Settle: its changes, and the changed files that the check must see.
    struct Round
    {
        size_t changes = 0;
        std::vector<std::wstring> files;
    };

    std::wstring SourceOf(const std::wstring& relative) const;
    std::wstring DestinationOf(const std::wstring& relative) const;
    bool List(const std::wstring& relative, const wchar_t* pattern,
              std::vector<FoundEntry>& entries);
    bool Count(const std::wstring& relative);
    bool FitsPathLimit(const std::wstring& path, size_t limit);
    bool HasRoomForOneCopy();
    Outcome CarryFolder(const std::wstring& relative);
    Outcome CarryFile(const std::wstring& relative, const FoundEntry& entry);
    Outcome CopyEntry(const std::wstring& relative, const std::wstring& name);
    Outcome CarrySubfolder(const std::wstring& relative, const std::wstring& name);
    Outcome ReportSourceLink(const std::wstring& path);
    Outcome Relist(const std::wstring& relative, const std::wstring& pattern, Round& round);
    bool RemoveCopy(const std::wstring& relative, const std::wstring& name);
    bool RemoveFolderCopy(const std::wstring& relative);
    Outcome DestinationFailure(int error, const std::wstring& folder);
    bool CanCreateIn(const std::wstring& folder);
    bool IsDestination(const std::wstring& path) const;
    bool UnchangedSinceCopied(const std::wstring& relative, const std::wstring& name) const;
    bool LiesInSource(const std::wstring& path) const;
    void AddWork(ULONGLONG files, ULONGLONG bytes);
    bool Cancelled() const;

    const std::string m_narrowSource;
    const std::wstring m_source;
    const std::wstring m_destination;
    CReporter& m_reporter;
    CCreatedEntries& m_created;
    CCurrentDirectoryKeeper m_currentDirectory;
    bool m_sameDirectory = false;
    FileIdentity m_sourceIdentity;
    FileIdentity m_destinationIdentity;
    bool m_destinationKnown = false;
    // Then a folder carried into the destination could be one of the source's own.
    bool m_destinationHoldsSource = false;
    std::unordered_map<std::wstring, CarriedFolder> m_carried;
    std::unordered_set<std::wstring> m_counted;
    ULONGLONG m_sourceFiles = 0;
    ULONGLONG m_sourceBytes = 0;
    ULONGLONG m_freeBytes = 0;
    ULONGLONG m_workFiles = 0;
    ULONGLONG m_workBytes = 0;
};

// Survey, Carry and Settle in one: 1 when every entry was carried over and the source held
// still, 0 otherwise (0 at once when the source cannot be entered).
int MoveDirectoryContents(const std::string& source, const std::string& destination,
                          CReporter& reporter);
