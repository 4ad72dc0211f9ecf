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
#include <optional>
#include <string>

class CContentMover;

// What one command that changes a setting holds from its start to its end: the server's lock,
// the reporter, the current directory it found (to which it returns whatever happens) and,
// once it carries files, the entries it creates with their journal. To use:
// - Run the command's steps inside Run; they start with Begin.
// - A carry-over surveys with Survey, then StartCarrying gives the entries to create.
// - The steps end in Store (the change, stored and told), or in End with how they ended.
// Whatever does not end in a stored change removes what it created again, however it ends (a
// failure, a cancel, an exception, the session ending).
class CCommandRun
{
public:
    // The run of a change of the server whose profile is `serverProfilePath`; `what` names the
    // setting for the event log ("directory of queue Alpha").
    CCommandRun(const std::string& serverProfilePath, CReporter& reporter,
                const CommandOptions& options, std::wstring what);
    ~CCommandRun();
    CCommandRun(const CCommandRun&) = delete;
    CCommandRun& operator=(const CCommandRun&) = delete;

    // Runs `steps`; an exception they throw ends the command as a failure (IDS_COMMAND_STOPPED
    // gives its text).
    CommandResult Run(const std::function<CommandResult()>& steps);

    // Takes the server's lock within the options' wait (IDS_ANOTHER_ADMINISTRATOR when another
    // holds it), then cleans up after an interrupted earlier command. False without it.
    bool Begin();

    CReporter& Reporter() { return m_reporter; }
    const CommandOptions& Options() const { return m_options; }
    CommandResult& Result() { return m_result; }
    bool Cancelled() const { return m_reporter.IsCancelled(); }

    // Surveys a carry-over and puts its counts into the result; false when it was refused.
    bool Survey(CContentMover& mover);
    // Starts carrying files into `destination`: every entry created from now on is journaled,
    // and `activity` names the move for a shutdown that would cut it off.
    void StartCarrying(const std::wstring& destination, const std::wstring& activity);
    CCreatedEntries& Created() { return m_created; }

    // The one ending of a change: stores it in `profile` (after a last look at the cancel),
    // tells the server with `code` and `codeValue`, and records it. A store that fails is
    // reported (IDS_STORE_FAILED) and ends the command as End does.
    CommandResult Store(const CProfileFile& profile, const SettingChange& change, AdminCode code,
                        WPARAM codeValue = 0);
    // Every other ending. kChanged: a what-if run found that the change would be made. A
    // failure of a command the user cancelled counts as cancelled; what it created is removed,
    // and what could not be is listed (IDS_COPIES_LEFT).
    CommandResult End(CommandOutcome outcome);

private:
    void Abandon();
    std::vector<std::wstring> RollBack();
    bool StoreLanded() const;
    void Finish(CommandOutcome outcome);

    const CommandOptions m_options;
    const std::wstring m_what;
    CReporter& m_reporter;
    CChangeLock m_lock;
    CChangeJournal m_journal;
    CCurrentDirectoryKeeper m_currentDirectory;
    CCreatedEntries m_created;
    CommandResult m_result;
    struct NotedStore
    {
        const CProfileFile& profile;
        std::string section;
        std::string key;
        std::string value;
    };
    std::optional<NotedStore> m_store;
    bool m_carrying = false;
    bool m_finished = false;
};

// Run at a front end's start: cleans up after a command that an earlier run left unfinished,
// unless another run holds the server's lock now (its journal is then its own).
void CleanUpInterruptedCommand(const std::string& serverProfilePath, CReporter& reporter);
