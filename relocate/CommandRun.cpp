#include "relocate/CommandRun.h"

#include "base/ErrorTexts.h"
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "notify/ChangeAudit.h"
#include "relocate/AdministratorsFolder.h"
#include "relocate/AdministratorsOnly.h"
#include "relocate/DirectoryMover.h"
#include "relocate/JournalRecovery.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <algorithm>
#include <exception>

namespace
{
// The platform's error as the messages quote it, and the advice to run elevated where that
// would help.
std::wstring RightsText(DWORD error)
{
    std::wstring text = ErrorTextW(ErrnoFromPlatformError(error));
    if (error == ERROR_ACCESS_DENIED && !IsElevated())
        text += L"\n" + LoadResourceTextW(IDS_RUN_ELEVATED);
    return text;
}
} // namespace

CCommandRun::CCommandRun(const std::string& serverProfilePath, const CProfileFile& storedIn,
                         CReporter& reporter, const CommandOptions& options, std::wstring what)
    : m_options(options), m_what(std::move(what)), m_serverProfilePath(serverProfilePath),
      m_storedIn(storedIn), m_reporter(reporter), m_journal([this] { m_reporter.Pump(); }),
      m_created(&m_journal)
{
}

// Only an exception that Run does not catch leaves a run unfinished. A destructor must not
// throw: a rollback that fails keeps the journal, for a later run to clean up after.
CCommandRun::~CCommandRun()
{
    if (m_finished)
        return;
    bool left = true;
    try
    {
        left = !RollBack().empty();
    }
    catch (...)
    {
    }
    m_journal.End(left);
}

CommandResult CCommandRun::Run(const std::function<CommandResult()>& steps)
{
    try
    {
        return steps();
    }
    catch (const std::exception& error)
    {
        if (m_stored)
        {
            ReportFormatted(m_reporter, IDS_STORED_THEN_STOPPED, MB_ICONEXCLAMATION,
                            {WidenText(error.what())});
            return m_finished ? m_result : EndStored(nullptr);
        }
        if (m_finished)
            throw;
        ReportFormatted(m_reporter, IDS_COMMAND_STOPPED, MB_ICONSTOP, {WidenText(error.what())});
        return End(CommandOutcome::kFailed);
    }
}

bool CCommandRun::Begin(CommandOutcome& refusal)
{
    refusal = CommandOutcome::kRefused;
    if (!PrepareAdministratorsFolder(m_folder, &m_reporter) || !TakeLocks(refusal) ||
        !CanWriteProfile())
        return false;
    Recover();
    return true;
}

// The server's lock, and for a setting of another profile that profile's too, always in the
// same order, so that two commands never wait for each other.
bool CCommandRun::TakeLocks(CommandOutcome& refusal)
{
    m_locks.push_back(std::make_unique<CChangeLock>(m_folder, m_serverProfilePath));
    auto stored = std::make_unique<CChangeLock>(m_folder, m_storedIn.GetPath());
    if (stored->Key() != m_locks.front()->Key())
        m_locks.push_back(std::move(stored));
    std::vector<CChangeLock*> ordered;
    for (const auto& lock : m_locks)
        ordered.push_back(lock.get());
    std::sort(ordered.begin(), ordered.end(),
              [](const CChangeLock* a, const CChangeLock* b) { return a->Key() < b->Key(); });
    for (CChangeLock* lock : ordered)
    {
        switch (lock->Take(m_options.lockWaitMs, [this] { return !Cancelled(); }))
        {
        case CChangeLock::Result::kTaken:
            continue;
        case CChangeLock::Result::kBusy:
            if (!Cancelled())
                ReportMessage(m_reporter, IDS_ANOTHER_ADMINISTRATOR, MB_ICONINFORMATION);
            refusal = CommandOutcome::kTryLater;
            return false;
        case CChangeLock::Result::kDenied:
            ReportPathFailure(m_reporter, IDS_NO_RIGHTS, lock->Path(), RightsText(lock->Error()));
            return false;
        }
    }
    return true;
}

// A run that cannot store its change is told so before anything is copied. A profile yet to be
// made is made by the store, in a folder that the platform then judges.
bool CCommandRun::CanWriteProfile()
{
    const std::wstring path = WidenText(m_storedIn.GetPath());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
    {
        CloseHandle(file);
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND)
        return true;
    ReportPathFailure(m_reporter, IDS_NO_RIGHTS, path, RightsText(error));
    return false;
}

void CCommandRun::Recover()
{
    for (const InterruptedChange& change : FindInterruptedChanges(m_folder, *m_locks.front()))
    {
        if (m_options.whatIf)
            ReportFormatted(m_reporter, IDS_INTERRUPTED_LEFT, MB_ICONINFORMATION,
                            {change.contents.destination});
        else
            CleanUpInterrupted(change, m_serverProfilePath, m_reporter);
    }
}

void CCommandRun::Change(const SettingChange& change, AdminCode code, WPARAM codeValue)
{
    m_change = change;
    m_code = code;
    m_codeValue = codeValue;
    m_result.before = change.oldValue;
    m_result.after = change.newValue;
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

bool CCommandRun::StartCarrying(const std::wstring& destination, const std::wstring& activity)
{
    m_destination = destination;
    const JournalSetting setting = {WidenText(m_storedIn.GetPath()), m_change.section, m_change.key,
                                    m_change.oldValue};
    if (!m_journal.Begin(m_folder, m_locks.front()->Key(), destination, setting))
        return ReportJournalFailure();
    if (m_options.whatIf)
    {
        m_journal.End(false);
        return true;
    }
    m_carrying = true;
    m_reporter.SetActivity(activity, [this] { Abandon(); });
    return true;
}

bool CCommandRun::ReportJournalFailure()
{
    ::ReportJournalFailure(m_reporter, m_journal.Path(), m_journal.Error());
    return false;
}

bool CCommandRun::NoteStore()
{
    m_storeNoted = true;
    if (m_journal.NoteStore(
            {WidenText(m_storedIn.GetPath()), m_change.section, m_change.key, m_change.newValue}))
        return true;
    return ReportJournalFailure();
}

bool CCommandRun::AwaitJournal()
{
    if (!m_journal.AwaitDisk())
        return !m_finished && !Cancelled() && ReportJournalFailure();
    return !Cancelled();
}

CommandResult CCommandRun::Store(CContentMover* carried)
{
    // The last look at the cancel: it may have come with the last pump of the command's work.
    if (Cancelled())
        return End(CommandOutcome::kFailed);
    m_storeAttempted = true;
    const StoreResult stored = StoreSetting(m_storedIn, m_change);
    if (!stored.stored)
    {
        ReportStoreFailure(m_reporter, WidenText(m_storedIn.GetPath()), stored);
        return End(CommandOutcome::kFailed);
    }
    m_stored = true;
    m_result.notified = PostAdminMessage(m_codeValue, m_code);
    return EndStored(carried);
}

// The change is stored: the copies stay, the originals they replaced go, and the change is
// recorded.
CommandResult CCommandRun::EndStored(CContentMover* carried)
{
    m_created.DropKeptAside();
    m_journal.End(false);
    const auto pump = [this] { m_reporter.Pump(); };
    if (carried != nullptr)
        carried->ForgetCarried(pump);
    m_created.Forget(pump);
    AuditChanged(m_what, WidenText(m_result.before), WidenText(m_result.after));
    Finish(CommandOutcome::kChanged);
    return m_result;
}

CommandResult CCommandRun::End(CommandOutcome outcome)
{
    if (m_finished)
        return m_result;
    // A cancel that the user asked for, not one that a failure ended in; a survey cut short by
    // it has nothing to refuse.
    if (Cancelled() &&
        (outcome == CommandOutcome::kFailed || outcome == CommandOutcome::kTryLater ||
         outcome == CommandOutcome::kRefused))
        outcome = CommandOutcome::kCancelled;
    const std::wstring failure = m_reporter.LastReported();
    // Copies that the profile may name after a failed store stay; so does the journal, whose
    // noted store lets a later run decide.
    const bool mayName = ProfileMayNameCopies();
    const std::vector<std::wstring> left = mayName ? std::vector<std::wstring>() : RollBack();
    m_currentDirectory.ReturnNow();
    m_journal.End(mayName || !left.empty());
    m_reporter.EndProgress();
    if (mayName)
    {
        ReportFormatted(m_reporter, IDS_COPIES_KEPT, MB_ICONEXCLAMATION, {m_destination});
        outcome = CommandOutcome::kFailedWithLeftovers;
    }
    else if (!left.empty())
    {
        ReportCopiesLeft(m_reporter, left);
        outcome = CommandOutcome::kFailedWithLeftovers;
    }
    else if (outcome == CommandOutcome::kCancelled)
        ReportMessage(m_reporter, IDS_MOVE_CANCELLED, MB_ICONINFORMATION);
    if (m_storeAttempted && m_storedIn.GetString(m_change.section, m_change.key).empty() &&
        !m_change.oldValue.empty())
        ReportFormatted(m_reporter, IDS_SETTING_NOW_EMPTY, MB_ICONEXCLAMATION, {m_what});
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
    const bool named = StoreLanded();
    const std::vector<std::wstring> left = named ? std::vector<std::wstring>() : m_created.Undo();
    m_journal.End(named || !left.empty());
    AuditNotChanged(m_what, LoadResourceTextW(IDS_MOVE_CANCELLED));
    if (!left.empty())
        AuditLeftBehind(m_what, left);
    Finish(CommandOutcome::kCancelled);
}

// After a store that failed, the profile may name the copies: it holds the new value all the
// same (the old could not be put back).
bool CCommandRun::ProfileMayNameCopies() const
{
    return m_storeAttempted && m_carrying && StoreLanded();
}

bool CCommandRun::StoreLanded() const
{
    return m_storeNoted &&
           m_storedIn.GetString(m_change.section, m_change.key) == m_change.newValue;
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
    std::wstring folder;
    if (!PrepareAdministratorsFolder(folder, nullptr))
        return;
    CChangeLock lock(folder, serverProfilePath);
    if (lock.Take(0) != CChangeLock::Result::kTaken)
        return;
    for (const InterruptedChange& change : FindInterruptedChanges(folder, lock))
        CleanUpInterrupted(change, serverProfilePath, reporter);
}

std::vector<InterruptedMove> FindInterruptedMoves(const std::string& serverProfilePath)
{
    std::vector<InterruptedMove> moves;
    std::wstring folder;
    if (!PrepareAdministratorsFolder(folder, nullptr))
        return moves;
    CChangeLock lock(folder, serverProfilePath);
    if (lock.Take(0) != CChangeLock::Result::kTaken)
        return moves;
    for (const InterruptedChange& change : FindInterruptedChanges(folder, lock))
        moves.push_back({change.contents.destination,
                         change.contents.entries.size() + change.contents.keptAside.size()});
    return moves;
}
