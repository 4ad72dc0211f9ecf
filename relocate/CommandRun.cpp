#include "relocate/CommandRun.h"

#include "framework/ResourceText.h"
#include "framework/WideText.h"
#include "notify/ChangeAudit.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <exception>

namespace
{
// Message 26 lists this many paths, then how many more there are.
const size_t kMostPathsListed = 10;

CCommandRun* s_running = nullptr;

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

void ReportLeftCopies(IReporter& reporter, const std::vector<std::wstring>& left)
{
    ReportFormatted(reporter, IDS_COPIES_LEFT, MB_ICONEXCLAMATION, {ListedPaths(left)});
}

// Cleans up after a journal left behind, for the holder of the server's lock.
void RecoverInterrupted(CChangeJournal& journal, IReporter& reporter)
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

// Passes everything on, and keeps what the run needs of it: the last failure reported, for
// the event log, and a cancel that the session's end asks for.
class CCommandRun::CRecordingReporter : public IReporter
{
public:
    explicit CRecordingReporter(IReporter& inner) : m_inner(inner) {}

    void Report(const ReportedMessage& message) override
    {
        m_lastMessage = message.text;
        m_inner.Report(message);
    }
    void BeginStep(const std::wstring& text, ULONGLONG files, ULONGLONG bytes) override
    {
        m_inner.BeginStep(text, files, bytes);
    }
    void SetTotals(ULONGLONG files, ULONGLONG bytes) override { m_inner.SetTotals(files, bytes); }
    void SetDone(ULONGLONG files, ULONGLONG bytes) override { m_inner.SetDone(files, bytes); }
    void Pump() override { m_inner.Pump(); }
    bool IsCancelled() const override { return m_abandoned || m_inner.IsCancelled(); }
    void AllowCancel(bool allowed) override { m_inner.AllowCancel(allowed); }
    void SetActivity(const std::wstring& description) override { m_inner.SetActivity(description); }
    void EndProgress() override { m_inner.EndProgress(); }

    const std::wstring& LastMessage() const { return m_lastMessage; }
    void Abandon() { m_abandoned = true; }

private:
    IReporter& m_inner;
    std::wstring m_lastMessage;
    bool m_abandoned = false;
};

CCommandRun::CCommandRun(const std::string& serverProfilePath, IReporter& reporter,
                         const CommandOptions& options, std::wstring what)
    : m_options(options), m_what(std::move(what)), m_reporter(new CRecordingReporter(reporter)),
      m_lock(serverProfilePath), m_journal(m_lock.Key(), [this] { m_reporter->Pump(); }),
      m_created(&m_journal), m_outerRun(s_running)
{
    s_running = this;
}

CCommandRun::~CCommandRun()
{
    // Only an exception leaves a run unfinished; Run has then ended it already.
    if (!m_finished)
    {
        const std::vector<std::wstring> left = RollBack();
        m_journal.End(!left.empty());
    }
    s_running = m_outerRun;
}

CommandResult CCommandRun::Run(const std::function<CommandResult()>& body)
{
    try
    {
        return body();
    }
    catch (const std::exception& error)
    {
        if (m_finished)
            throw;
        const std::vector<std::wstring> left = RollBack();
        m_journal.End(!left.empty());
        if (!left.empty())
            ReportLeftCopies(Reporter(), left);
        ReportFormatted(Reporter(), IDS_COMMAND_STOPPED, MB_ICONSTOP, {WidenText(error.what())});
        if (m_carrying)
            AuditNotChanged(m_what, m_reporter->LastMessage());
        if (!left.empty())
            AuditLeftBehind(m_what, left);
        m_result.outcome =
            left.empty() ? CommandOutcome::kFailed : CommandOutcome::kFailedWithLeftovers;
        Finish();
        return m_result;
    }
}

bool CCommandRun::Begin()
{
    if (m_lock.Take(m_options.lockWaitMs, [this] { return !m_reporter->IsCancelled(); }) ==
        CChangeLock::Result::kBusy)
    {
        if (!Cancelled())
            ReportMessage(Reporter(), IDS_ANOTHER_ADMINISTRATOR, MB_ICONINFORMATION);
        return false;
    }
    RecoverInterrupted(m_journal, Reporter());
    return true;
}

IReporter& CCommandRun::Reporter()
{
    return *m_reporter;
}

bool CCommandRun::Cancelled() const
{
    return m_reporter->IsCancelled();
}

CCreatedEntries& CCommandRun::StartCarrying(const std::wstring& destination,
                                            const std::wstring& activity)
{
    m_carrying = true;
    m_journal.Begin(destination);
    m_reporter->SetActivity(activity);
    return m_created;
}

bool CCommandRun::BeginStore(const CProfileFile& profile, const char* section, const char* key,
                             const std::string& value)
{
    m_journal.NoteStore(profile.GetPath(), section, key, value);
    // The last look at the cancel: it may have come with the last pump of the command's work,
    // or while the journal was put on disk.
    if (Cancelled())
        return false;
    m_store = NotedStore{profile, section, key, value};
    return true;
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
    IReporter& reporter = *m_reporter;
    if (m_created.Count() > 0)
    {
        reporter.BeginStep(LoadResourceTextW(IDS_STEP_REMOVING_COPIES), m_created.Count(), 0);
        reporter.AllowCancel(false);
    }
    return m_created.Undo(
        [&reporter](size_t undone)
        {
            reporter.SetDone(undone, 0);
            reporter.Pump();
        });
}

void CCommandRun::Finish()
{
    m_finished = true;
    m_reporter->SetActivity(std::wstring());
    m_reporter->EndProgress();
}

CommandResult CCommandRun::Refuse(CommandOutcome outcome)
{
    m_journal.End(false);
    m_result.outcome = outcome;
    Finish();
    return m_result;
}

CommandResult CCommandRun::Fail(CommandOutcome outcome)
{
    if (m_finished)
        return m_result;
    const std::wstring failure = m_reporter->LastMessage();
    const std::vector<std::wstring> left = RollBack();
    // What could not be removed is left to a later run's cleanup too.
    m_journal.End(!left.empty());
    m_result.outcome = outcome;
    // A cancel that the user asked for, not one that a failure ended in.
    if (Cancelled() && outcome == CommandOutcome::kFailed)
        m_result.outcome = CommandOutcome::kCancelled;
    m_reporter->EndProgress();
    if (!left.empty())
    {
        ReportLeftCopies(Reporter(), left);
        m_result.outcome = CommandOutcome::kFailedWithLeftovers;
    }
    else if (m_result.outcome == CommandOutcome::kCancelled)
        ReportMessage(Reporter(), IDS_MOVE_CANCELLED, MB_ICONINFORMATION);
    if (m_carrying)
    {
        AuditNotChanged(m_what, m_result.outcome == CommandOutcome::kCancelled
                                    ? m_reporter->LastMessage()
                                    : failure);
        if (!left.empty())
            AuditLeftBehind(m_what, left);
    }
    Finish();
    return m_result;
}

CommandResult CCommandRun::FailKeepingCopies()
{
    m_journal.End(false);
    if (m_carrying)
        AuditNotChanged(m_what, m_reporter->LastMessage());
    // Not taken back: the copies stay, for the profile may name them.
    m_result.outcome = CommandOutcome::kFailedWithLeftovers;
    Finish();
    return m_result;
}

CommandResult CCommandRun::Succeed()
{
    m_journal.End(false);
    AuditChanged(m_what, WidenText(m_result.before), WidenText(m_result.after));
    m_result.outcome = CommandOutcome::kChanged;
    Finish();
    return m_result;
}

CommandResult CCommandRun::EndWhatIf()
{
    m_result.outcome = CommandOutcome::kChanged;
    Finish();
    return m_result;
}

void CCommandRun::AbandonRunning()
{
    CCommandRun* run = s_running;
    if (run == nullptr || run->m_finished || !run->m_carrying)
        return;
    run->m_reporter->Abandon();
    const std::vector<std::wstring> left =
        run->StoreLanded() ? std::vector<std::wstring>() : run->m_created.Undo();
    run->m_journal.End(!left.empty());
    // The command, still on the stack, stops at its next look at the cancel, and says nothing.
    run->m_result.outcome = CommandOutcome::kCancelled;
    run->Finish();
}

bool CCommandRun::IsCarrying()
{
    return s_running != nullptr && s_running->m_carrying && !s_running->m_finished;
}

void CleanUpInterruptedCommand(const std::string& serverProfilePath, IReporter& reporter)
{
    CChangeLock lock(serverProfilePath);
    if (lock.Take(0) == CChangeLock::Result::kBusy)
        return;
    CChangeJournal journal(lock.Key());
    RecoverInterrupted(journal, reporter);
}
