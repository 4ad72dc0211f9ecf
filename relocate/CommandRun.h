#pragma once

#include "config/ProfileFile.h"
#include "config/ProfileStore.h"
#include "notify/AdminMessage.h"
#include "relocate/ChangeJournal.h"
#include "relocate/ChangeLock.h"
#include "relocate/CommandResult.h"
#include "relocate/CreatedEntries.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/Reporter.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CContentMover;

// What one command that changes a setting holds from its start to its end: the locks, the
// reporter, the current directory it found (to which it returns whatever happens) and, once it
// carries files, the entries it creates with their journal. To use:
// - Run the command's steps inside Run; they start with Begin, and name the setting they
//   change with Change once they have read it.
// - A carry-over surveys with Survey, starts with StartCarrying (which what-if only tries),
//   makes its entries through Created, and before its last look at the source notes the store
//   with NoteStore and puts the journal on disk with AwaitJournal.
// - The steps end in Store (the change, stored and told), or in End with how they ended.
// Whatever does not end in a stored change removes what it created again, however it ends (a
// failure, a cancel, an exception, the session ending), unless a store that failed may have
// left the profile naming the copies: those stay, with their journal.
class CCommandRun
{
public:
    // The run of a change of the server whose profile is `serverProfilePath`, stored in
    // `storedIn` (which is locked too); `what` names the setting for the event log
    // ("directory of queue Alpha").
    CCommandRun(const std::string& serverProfilePath, const CProfileFile& storedIn,
                CReporter& reporter, const CommandOptions& options, std::wstring what);
    ~CCommandRun();
    CCommandRun(const CCommandRun&) = delete;
    CCommandRun& operator=(const CCommandRun&) = delete;

    // Runs `steps`; an exception they throw ends the command as a failure (IDS_COMMAND_STOPPED
    // gives its text), or, after the store, as the stored change it is.
    CommandResult Run(const std::function<CommandResult()>& steps);

    // Makes sure of the administrators' folder, takes the locks within the options' wait, makes
    // sure that the profile can be written, then cleans up after an interrupted earlier
    // command (what-if only tells of one). False with the outcome to end with when it cannot
    // go on: try later while another holds a lock, refused without the rights.
    bool Begin(CommandOutcome& refusal);

    CReporter& Reporter() { return m_reporter; }
    const CommandOptions& Options() const { return m_options; }
    CommandResult& Result() { return m_result; }
    bool Cancelled() const { return m_reporter.IsCancelled(); }

    // The setting the command changes, as read after Begin, and how the server is told of it.
    void Change(const SettingChange& change, AdminCode code, WPARAM codeValue = 0);

    // Surveys a carry-over and puts its counts into the result; false when it was refused.
    bool Survey(CContentMover& mover);
    // Starts carrying files into `destination` with a journal of what is made (IDS_JOURNAL_FAILED
    // when it cannot be kept); `activity` names the move for a shutdown that would cut it off.
    // What-if only tries the journal.
    bool StartCarrying(const std::wstring& destination, const std::wstring& activity);
    CCreatedEntries& Created() { return m_created; }
    // Notes the value about to be stored; false when the journal can no longer be written.
    bool NoteStore();
    // Puts the journal on disk, answering messages meanwhile; false when the command was
    // cancelled or abandoned by then, or the journal failed.
    bool AwaitJournal();

    // The one ending of a change: after a last look at the cancel, stores it, tells the server
    // and records it. A store that fails is reported (IDS_STORE_FAILED) and ends as End does.
    // The records of the move that `carried` made, and of what it created, are let go before
    // the progress ends, while it is still pumped.
    CommandResult Store(CContentMover* carried = nullptr);
    // Every other ending. kChanged: a what-if run found that the change would be made. A
    // failure of a command the user cancelled counts as cancelled; what it created is removed,
    // and what could not be is listed (IDS_COPIES_LEFT). A store that failed yet left the
    // profile naming the copies keeps them, says so (IDS_COPIES_KEPT) and keeps the journal;
    // one that left the setting empty says so too (IDS_SETTING_NOW_EMPTY).
    CommandResult End(CommandOutcome outcome);

private:
    bool TakeLocks(CommandOutcome& refusal);
    bool CanWriteProfile();
    void Recover();
    void Abandon();
    std::vector<std::wstring> RollBack();
    bool StoreLanded() const;
    bool ProfileMayNameCopies() const;
    CommandResult EndStored(CContentMover* carried);
    void Finish(CommandOutcome outcome);
    bool ReportJournalFailure();

    const CommandOptions m_options;
    const std::wstring m_what;
    const std::string m_serverProfilePath;
    const CProfileFile& m_storedIn;
    CReporter& m_reporter;
    std::wstring m_folder;
    std::vector<std::unique_ptr<CChangeLock>> m_locks;
    CChangeJournal m_journal;
    CCurrentDirectoryKeeper m_currentDirectory;
    CCreatedEntries m_created;
    CommandResult m_result;
    SettingChange m_change = {};
    AdminCode m_code = kAdminDisplayModeChanged;
    WPARAM m_codeValue = 0;
    std::wstring m_destination;
    bool m_storeNoted = false;
    bool m_storeAttempted = false;
    bool m_stored = false;
    bool m_carrying = false;
    bool m_finished = false;
};

// Run at a front end's start: cleans up after a command that an earlier run left unfinished,
// unless another run holds the server's lock now (its journal is then its own).
void CleanUpInterruptedCommand(const std::string& serverProfilePath, CReporter& reporter);

// A change that an earlier run left unfinished and nobody has cleaned up yet.
struct InterruptedMove
{
    std::wstring destination;
    size_t entries = 0;
};
// The changes of the server whose profile is `serverProfilePath` that were interrupted, found
// without cleaning up (none while another run holds the lock).
std::vector<InterruptedMove> FindInterruptedMoves(const std::string& serverProfilePath);
