#include "relocate/QueueDirectoryChange.h"

#include "base/ResourceText.h"
#include "base/WideText.h"
#include "config/ConfigLayout.h"
#include "config/ServerSettings.h"
#include "relocate/CommandRun.h"
#include "relocate/DirectoryChecks.h"
#include "relocate/DirectoryMover.h"
#include "relocate/FolderAcceptance.h"
#include "relocate/JobControlRewrite.h"
#include "relocate/MoveHold.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <cerrno>

namespace
{
const std::wstring kJobControlPattern = WidenText(layout::kJobControlPattern);

bool IsBusy(const std::wstring& jobFile)
{
    return GetProfileIntAt(jobFile, layout::kSettingsSection, layout::kXferKey, 0) != 0 ||
           GetProfileIntAt(jobFile, layout::kSettingsSection, layout::kPrintKey, 0) != 0;
}

// True when any of the jobs is in transfer or printing (IDS_QUEUE_BUSY). Every file is
// examined, unless the user cancels; Print is read only for a job that is not in transfer.
bool AnyJobBusy(const std::vector<std::wstring>& jobFiles, CReporter& reporter)
{
    ULONGLONG checked = 0;
    for (const std::wstring& job : jobFiles)
    {
        if (IsBusy(job))
        {
            ReportMessage(reporter, IDS_QUEUE_BUSY, MB_ICONINFORMATION);
            return true;
        }
        reporter.SetDone(++checked, 0);
        reporter.Pump();
        if (reporter.IsCancelled())
            return false;
    }
    return false;
}

// The job control files of the old directory; a listing that fails is reported as a folder
// that cannot be read, since a job missed could be a busy one. A folder whose name matches is
// no job control file.
bool ListJobControlFiles(const std::string& directory, std::vector<std::wstring>& jobFiles,
                         CReporter& reporter)
{
    const std::wstring folder = WidenText(directory);
    std::vector<FoundEntry> entries;
    if (!FindEntries(JoinPath(folder, kJobControlPattern), entries, [&] { reporter.Pump(); }))
    {
        ReportPathError(reporter, IDS_OPEN_READ_FAILED, folder, errno);
        return false;
    }
    for (const FoundEntry& entry : entries)
        if (!IsFolderAttributes(entry.attributes))
            jobFiles.push_back(JoinPath(folder, entry.name));
    return true;
}

bool EnterQueueDirectory(const std::string& storedDir, CReporter& reporter)
{
    if (ChangeDirectory(storedDir, reporter) == 0)
        return true;
    ReportFormatted(reporter, IDS_ENTER_QUEUE_DIR_FAILED, MB_ICONEXCLAMATION,
                    {WidenText(storedDir), ErrorTextW(errno)});
    return false;
}

// Points the job control files that the move carried at the new directory; false after the
// first that fails (IDS_STORE_FAILED) or once the user cancels. A job control file that was in
// the new directory before belongs to another queue and is left as it is.
bool RewriteJobControlFiles(const std::vector<std::wstring>& jobFiles,
                            const std::string& newQueueDir, CReporter& reporter)
{
    reporter.BeginStep(LoadResourceTextW(IDS_STEP_UPDATING_JOBS), jobFiles.size(), 0);
    ULONGLONG updated = 0;
    for (const std::wstring& jobFile : jobFiles)
    {
        const StoreResult rewritten = RewriteJobControlFile(jobFile, newQueueDir,
                                                            [&]
                                                            {
                                                                reporter.Pump();
                                                                return !reporter.IsCancelled();
                                                            });
        if (reporter.IsCancelled())
            return false;
        if (!rewritten.stored)
        {
            ReportStoreFailure(reporter, jobFile, rewritten.error);
            return false;
        }
        reporter.SetDone(++updated, 0);
        reporter.Pump();
        HoldMoveAt("rewrite", reporter);
    }
    return true;
}

// The steps of "Set Dir" within its run.
class CQueueDirectoryChange
{
public:
    CQueueDirectoryChange(CCommandRun& run, const CProfileFile& serverProfile,
                          const std::string& queueName, const std::string& newQueueDir)
        : m_run(run), m_reporter(run.Reporter()), m_serverProfile(serverProfile),
          m_queueName(queueName), m_newQueueDir(newQueueDir)
    {
    }
    CommandResult Run();

private:
    // The busy test of the old directory's jobs; false when they could not be listed.
    bool TestOldJobs(bool& busy);
    CommandResult CarryAndStore(CContentMover& mover);

    CCommandRun& m_run;
    CReporter& m_reporter;
    const CProfileFile& m_serverProfile;
    const std::string& m_queueName;
    const std::string& m_newQueueDir;
    std::string m_storedDir;
};

CommandResult CQueueDirectoryChange::Run()
{
    if (!m_run.Begin())
        return m_run.End(CommandOutcome::kTryLater);
    m_storedDir = ReadQueueDir(m_serverProfile, m_queueName);
    m_run.Result().before = m_storedDir;
    m_run.Result().after = m_newQueueDir;
    CommandOutcome refusal;
    if (!IsDirectoryChange(m_storedDir, m_newQueueDir, m_reporter, refusal,
                           m_run.Options().leaveUnchanged))
        return m_run.End(refusal);
    if (!EnterQueueDirectory(m_storedDir, m_reporter))
        return m_run.End(CommandOutcome::kFailed);
    bool busy = false;
    if (!TestOldJobs(busy) || m_run.Cancelled())
        return m_run.End(CommandOutcome::kFailed);
    if (busy)
        return m_run.End(CommandOutcome::kTryLater);
    if (!AcceptAsQueueDirectory(m_newQueueDir, m_reporter))
        return m_run.End(CommandOutcome::kRefused);

    CContentMover mover(m_storedDir, m_newQueueDir, m_reporter, m_run.Created());
    if (!m_run.Survey(mover))
        return m_run.End(CommandOutcome::kFailed);
    if (m_run.Options().whatIf)
        return m_run.End(CommandOutcome::kChanged);
    return CarryAndStore(mover);
}

bool CQueueDirectoryChange::TestOldJobs(bool& busy)
{
    std::vector<std::wstring> jobFiles;
    if (!ListJobControlFiles(m_storedDir, jobFiles, m_reporter))
        return false;
    m_reporter.BeginStep(FormatMessageText(IDS_STEP_CHECKING_JOBS, {WidenText(m_queueName)}),
                         jobFiles.size(), 0);
    busy = AnyJobBusy(jobFiles, m_reporter);
    return true;
}

CommandResult CQueueDirectoryChange::CarryAndStore(CContentMover& mover)
{
    m_run.StartCarrying(WidenText(m_newQueueDir),
                        FormatMessageText(IDS_MOVING_QUEUE, {WidenText(m_queueName)}));
    if (!mover.Carry() || m_run.Cancelled())
        return m_run.End(CommandOutcome::kFailed);
    // Jobs that the server spooled or changed meanwhile must be idle too.
    bool turnedBusy = false;
    const CContentMover::Settled settled =
        mover.Settle(kJobControlPattern, [&](const std::vector<std::wstring>& changedJobs)
                     { return !(turnedBusy = AnyJobBusy(changedJobs, m_reporter)); });
    if (settled != CContentMover::Settled::kSettled || m_run.Cancelled())
        return m_run.End(turnedBusy || settled == CContentMover::Settled::kKeptChanging
                             ? CommandOutcome::kTryLater
                             : CommandOutcome::kFailed);
    if (!RewriteJobControlFiles(mover.CarriedFiles(kJobControlPattern), m_newQueueDir, m_reporter))
        return m_run.End(CommandOutcome::kFailed);
    return m_run.Store(
        m_serverProfile,
        {m_queueName.c_str(), layout::kQueueDirKey, m_storedDir, m_newQueueDir, true},
        kAdminQueueDirChanged);
}
} // namespace

CommandResult ChangeQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                                   const std::string& newQueueDir, CReporter& reporter,
                                   const CommandOptions& options)
{
    CCommandRun run(serverProfile.GetPath(), reporter, options,
                    FormatMessageText(IDS_WHAT_QUEUE, {WidenText(queueName)}));
    return run.Run(
        [&] { return CQueueDirectoryChange(run, serverProfile, queueName, newQueueDir).Run(); });
}
