#include "relocate/CommandRun.h"

#include "base/ResourceText.h"
#include "base/WideText.h"
#include "notify/ChangeAudit.h"
#include "relocate/DirectoryMover.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <exception>

namespace
{
// IDS_COPIES_LEFT lists this many paths, then how many more there are.
const size_t kMostPathsListed = 10;

std::wstring ListedPaths(const std::vector<std::wstring>& paths)
{
    std::wstring lines;
    for (size_t i = 0; i < paths.size() && i < kMostPathsListed; ++i)
        lines += (i == 0 ? L"\t" : L"\n\t") + paths[i];
    if (paths.size() > kMostPathsListed)
        lines += L"\n" + FormatMessageText(IDS_AND_MORE,
                                           {std::to_wstring(paths.size() - kMostPathsListed)});
    return lines;
}

void ReportLeftCopies(CReporter& reporter, const std::vector<std::wstring>& left)
{
    ReportFormatted(reporter, IDS_COPIES_LEFT, MB_ICONEXCLAMATION, {ListedPaths(left)});
}

// Cleans up after a journal left behind, for the holder of the server's lock.
void RecoverInterrupted(CChangeJournal& journal, CReporter& reporter)
{
    CChangeJournal::Recovery recovery;
    if (!journal.RecoverInterrupted(recovery) || recovery.listed == 0 || recovery.stored)
        return;
    AuditCleanedUp(recovery.destination, recovery.left);
    if (recovery.left.empty())
        ReportFormatted(reporter, IDS_INTERRUPTED_CLEANED, MB_ICONINFORMATION,
                        {recovery.destination});
    else
        ReportLeftCopies(reporter, recovery.left);
}
} // namespace

CCommandRun::CCommandRun(const std::string& serverProfilePath, CReporter& reporter,
                         const CommandOptions& options, std::wstring what)
    : m_options(options), m_what(std::move(what)), m_reporter(reporter), m_lock(serverProfilePath),
      m_journal(m_lock.Key(), [this] { m_reporter.Pump(); }), m_created(&m_journal)
{
}

// Only an exception that Run does not catch leaves a run unfinished.
CCommandRun::~CCommandRun()
{
    if (!m_finished)
        m_journal.End(!RollBack().empty());
}

CommandResult CCommandRun::Run(const std::function<CommandResult()>& steps)
{
    try
    {
        return steps();
    }
    catch (const std::exception& error)
    {
        if (m_finished)
            throw;
        ReportFormatted(m_reporter, IDS_COMMAND_STOPPED, MB_ICONSTOP, {WidenText(error.what())});
        return End(CommandOutcome::kFailed);
    }
}

bool CCommandRun::Begin()
{
    if (m_lock.Take(m_options.lockWaitMs, [this] { return !Cancelled(); }) ==
        CChangeLock::Result::kBusy)
    {
        if (!Cancelled())
            ReportMessage(m_reporter, IDS_ANOTHER_ADMINISTRATOR, MB_ICONINFORMATION);
        return false;
    }
    RecoverInterrupted(m_journal, m_reporter);
    return true;
}

bool CCommandRun::Survey(CContentMover& mover)
{
    if (!mover.Survey())
        return false;
    m_result.files = mover.SourceFiles();
    m_result.bytes = mover.SourceBytes();
    m_result.freeBytes = mover.FreeBytes();
    return true;
}

void CCommandRun::StartCarrying(const std::wstring& destination, const std::wstring& activity)
{
    m_carrying = true;
    m_journal.Begin(destination);
    m_reporter.SetActivity(activity, [this] { Abandon(); });
}

CommandResult CCommandRun::Store(const CProfileFile& profile, const SettingChange& change,
                                 AdminCode code, WPARAM codeValue)
{
    if (m_carrying)
    {
        m_journal.NoteStore(profile.GetPath(), change.section, change.key, change.newValue);
        // The last look at the cancel: it may have come with the last pump of the command's
        // work, or while the journal was put on disk.
        if (Cancelled())
            return End(CommandOutcome::kFailed);
        m_store.emplace(NotedStore{profile, change.section, change.key, change.newValue});
    }
    const StoreResult stored = StoreSetting(profile, change);
    if (!stored.stored)
    {
        ReportStoreFailure(m_reporter, WidenText(profile.GetPath()), stored.error);
        return End(CommandOutcome::kFailed);
    }
    m_result.notified = PostAdminMessage(codeValue, code);
    m_journal.End(false);
    AuditChanged(m_what, WidenText(m_result.before), WidenText(m_result.after));
    Finish(CommandOutcome::kChanged);
    return m_result;
}

CommandResult CCommandRun::End(CommandOutcome outcome)
{
    if (m_finished)
        return m_result;
    // A cancel that the user asked for, not one that a failure ended in.
    if (Cancelled() && (outcome == CommandOutcome::kFailed || outcome == CommandOutcome::kTryLater))
        outcome = CommandOutcome::kCancelled;
    const std::wstring failure = m_reporter.LastReported();
    // Copies that a store which failed all the same left named in the profile stay.
    if (StoreLanded())
        outcome = CommandOutcome::kFailedWithLeftovers;
    const std::vector<std::wstring> left = RollBack();
    // What could not be removed is left to a later run's cleanup too.
    m_journal.End(!left.empty());
    m_reporter.EndProgress();
    if (!left.empty())
    {
        ReportLeftCopies(m_reporter, left);
        outcome = CommandOutcome::kFailedWithLeftovers;
    }
    else if (outcome == CommandOutcome::kCancelled)
        ReportMessage(m_reporter, IDS_MOVE_CANCELLED, MB_ICONINFORMATION);
    if (m_carrying)
    {
        AuditNotChanged(m_what, outcome == CommandOutcome::kCancelled ? m_reporter.LastReported()
                                                                      : failure);
        if (!left.empty())
            AuditLeftBehind(m_what, left);
    }
    Finish(outcome);
    return m_result;
}

// The session is ending under the move: what it created is removed now, as far as it can be,
// and its journal kept for the rest. The command, still on the stack, stops at its next look at
// the cancel and says nothing more.
void CCommandRun::Abandon()
{
    if (m_finished || !m_carrying)
        return;
    const std::vector<std::wstring> left =
        StoreLanded() ? std::vector<std::wstring>() : m_created.Undo();
    m_journal.End(!left.empty());
    Finish(CommandOutcome::kCancelled);
}

bool CCommandRun::StoreLanded() const
{
    return m_store.has_value() &&
           m_store->profile.GetString(m_store->section.c_str(), m_store->key.c_str()) ==
               m_store->value;
}

// Out of the destination first, so that none of its folders is held as current. The removal
// of many copies takes a while too: the progress stays, and cannot cancel it. Copies that a
// stored change names, however the command then ends, stay.
std::vector<std::wstring> CCommandRun::RollBack()
{
    m_currentDirectory.ReturnNow();
    if (StoreLanded())
        return {};
    if (m_created.Count() > 0)
    {
        m_reporter.BeginStep(LoadResourceTextW(IDS_STEP_REMOVING_COPIES), m_created.Count(), 0);
        m_reporter.AllowCancel(false);
    }
    return m_created.Undo(
        [this](size_t undone)
        {
            m_reporter.SetDone(undone, 0);
            m_reporter.Pump();
        });
}

void CCommandRun::Finish(CommandOutcome outcome)
{
    m_result.outcome = outcome;
    m_finished = true;
    m_reporter.SetActivity(std::wstring(), nullptr);
    m_reporter.EndProgress();
}

void CleanUpInterruptedCommand(const std::string& serverProfilePath, CReporter& reporter)
{
    CChangeLock lock(serverProfilePath);
    if (lock.Take(0) == CChangeLock::Result::kBusy)
        return;
    CChangeJournal journal(lock.Key());
    RecoverInterrupted(journal, reporter);
}
