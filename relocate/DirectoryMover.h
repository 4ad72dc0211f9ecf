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

// Carries every entry of a source directory over into a destination directory (absolute paths
// in the host code page, used as given), by exact wide-character names, at any depth; nothing
// in the source is deleted, no link or junction is followed, nothing is copied into itself, and
// copies keep their source's last-write time. To use:
// - Survey: enters the source (IDS_ENTER_DIR_FAILED), counts its files and bytes, and refuses a
//   destination path beyond the platform's limit (IDS_OPEN_WRITE_FAILED) or without room for
//   one copy (IDS_NOT_ENOUGH_SPACE), before anything is copied.
// - Carry: copies every entry; a failure of one entry is reported and the next goes on, one
//   that every later entry would meet too (the destination gone, full or refusing) ends it.
// - Settle: lists the source again until nothing changed, at most three rounds: new and
//   changed files are carried, copies of what has gone are removed (IDS_KEPT_CHANGING when it
//   never holds still).
// Every file and folder the move creates is added to `created`; the reporter hears of every
// failure and the progress, counting each file once, and a cancel stops after the current block.
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
        kKeptChanging // reported (IDS_KEPT_CHANGING)
    };
    struct SettleChecks
    {
        // Called before each listing, which may be the last before the store; false (having
        // reported why, or cancelled) ends the move.
        std::function<bool()> beforeListing;
        // Told the names of the files at the top compared by content that changed or appeared
        // since they were carried, once carried again; false (having reported why) ends it.
        std::function<bool(const std::vector<std::wstring>& names)> changedFiles;
    };
    Settled Settle(const SettleChecks& checks = {});

    // Files at the top of the source that match `pattern` are compared by their content with
    // what was copied, not by size and time (call before Carry).
    void CompareByContent(const std::wstring& pattern) { m_contentPattern = pattern; }

    // The destination's paths of the files at its top that match `pattern` and that this move
    // carried over (and whose source still exists).
    std::vector<std::wstring> CarriedFiles(const std::wstring& pattern) const;

    // Lets go of the records of what was carried, calling `pump` as it goes; after it the move
    // knows nothing carried.
    void ForgetCarried(const std::function<void()>& pump);

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
        bool contentKnown = false;
        std::string content;
    };
    // What has been carried into one folder of the destination, by its path below the top.
    struct CarriedFolder
    {
        std::unordered_map<std::wstring, CopiedFile> files;
        std::unordered_set<std::wstring> folders;
    };
    // One round of Settle: its changes, and the changed files compared by content.
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
    bool IsWhereExpected(const FileIdentity& entered, const std::wstring& relative) const;
    bool UnchangedSinceCopied(const std::wstring& relative, const std::wstring& name,
                              bool lastLook) const;
    bool ComparesContent(const std::wstring& relative, const std::wstring& name) const;
    bool ReportWriteRefusal(const std::wstring& path, UINT reasonId);
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
    std::wstring m_contentPattern;
};

// Survey, Carry and Settle in one: 1 when every entry was carried over and the source held
// still, 0 otherwise (0 at once when the source cannot be entered).
int MoveDirectoryContents(const std::string& source, const std::string& destination,
                          CReporter& reporter);
