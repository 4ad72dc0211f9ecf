#pragma once

#include "framework/Reporter.h"
#include "relocate/ChangeJournal.h"
#include "relocate/ChangeLock.h"
#include "relocate/CommandResult.h"
#include "relocate/CreatedEntries.h"
#include "relocate/DirectoryPrimitives.h"

#include "config/ProfileFile.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// What one command that changes a setting holds from its start to its end: the server's lock,
// the reporter it tells its user through, the current directory it found (to which it returns
// whatever happens), and, once it carries files, the entries it creates with their journal.
// Those stay only when the command stores its change; however else it ends (a failure, a
// cancel, an exception, the session ending) they are removed again.
class CCommandRun
{
public:
    // The run of a change of the server whose profile is `serverProfilePath`; `what` names the
    // setting for the event log ("directory of queue Alpha").
    CCommandRun(const std::string& serverProfilePath, IReporter& reporter,
                const CommandOptions& options, std::wstring what);
    ~CCommandRun();
    CCommandRun(const CCommandRun&) = delete;
    CCommandRun& operator=(const CCommandRun&) = delete;

    // Runs `body` (the command's steps, ending in one of the endings below) with this run
    // held. An exception it throws ends the command: what it carried is removed, then message
    // 27 gives the exception's text.
    CommandResult Run(const std::function<CommandResult()>& body);

    // Takes the server's lock within the options' wait (message 23 when another holds it),
    // then cleans up after an interrupted earlier command (message 25). False without it.
    bool Begin();

    IReporter& Reporter();
    const CommandOptions& Options() const { return m_options; }
    CommandResult& Result() { return m_result; }
    bool Cancelled() const;

    // Starts carrying files into `destination`: every entry created from now on is journaled,
    // and `activity` names the move for a shutdown that would cut it off.
    CCreatedEntries& StartCarrying(const std::wstring& destination, const std::wstring& activity);
    CCreatedEntries& Created() { return m_created; }

    // The command is about to set [section] key of `profile` to `value`. Once that reads back,
    // the copies stay however the command ends, and a later cleanup leaves them too. False when
    // the command was cancelled or abandoned by then: it must fail without storing.
    bool BeginStore(const CProfileFile& profile, const char* section, const char* key,
                    const std::string& value);

    // Endings. Refuse: nothing had changed (message already given). Fail: what the command
    // created is removed; a cancel says so (message 22), copies that could not be removed are
    // listed (message 26). FailKeepingCopies: a store may have left the new directory in the
    // profile, whose copies must then stay whole (failed, not taken back). Succeed: the change
    // is stored and recorded.
    CommandResult Refuse(CommandOutcome outcome);
    CommandResult Fail(CommandOutcome outcome = CommandOutcome::kFailed);
    CommandResult FailKeepingCopies();
    CommandResult Succeed();
    // A what-if run that made every check: the change would be made.
    CommandResult EndWhatIf();

    // The session is ending under a running command: what it created is removed now, as far as
    // it can be, and its journal kept for the rest; the command then stops as if cancelled.
    static void AbandonRunning();
    // True while a command carries files.
    static bool IsCarrying();

private:
    class CRecordingReporter;
    std::vector<std::wstring> RollBack();
    bool StoreLanded() const;
    void Finish();

    const CommandOptions m_options;
    const std::wstring m_what;
    std::unique_ptr<CRecordingReporter> m_reporter;
    CChangeLock m_lock;
    CChangeJournal m_journal;
    CCurrentDirectoryKeeper m_currentDirectory;
    CCreatedEntries m_created;
    CommandResult m_result;
    struct NotedStore
    {
        CProfileFile profile;
        std::string section;
        std::string key;
        std::string value;
    };
    std::optional<NotedStore> m_store;
    bool m_carrying = false;
    bool m_finished = false;
    CCommandRun* m_outerRun;
};

// Run at a front end's start: cleans up after a command that an earlier run left unfinished,
// unless another run holds the server's lock now (its journal is then its own).
void CleanUpInterruptedCommand(const std::string& serverProfilePath, IReporter& reporter);
