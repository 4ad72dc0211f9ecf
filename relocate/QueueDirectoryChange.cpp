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

std::vector<std::wstring> InFolder(const std::string& folder,
                                   const std::vector<std::wstring>& names)
{
    std::vector<std::wstring> paths;
    for (const std::wstring& name : names)
        paths.push_back(JoinPath(WidenText(folder), name));
    return paths;
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
    bool RewriteJobControlFiles(const std::vector<std::wstring>& jobFiles);

    CCommandRun& m_run;
    CReporter& m_reporter;
    const CProfileFile& m_serverProfile;
    const std::string& m_queueName;
    const std::string& m_newQueueDir;
    std::string m_storedDir;
};

CommandResult CQueueDirectoryChange::Run()
{
    CommandOutcome refusal;
    if (!m_run.Begin(refusal))
        return m_run.End(refusal);
    m_storedDir = ReadQueueDir(m_serverProfile, m_queueName);
    m_run.Change({m_queueName.c_str(), layout::kQueueDirKey, m_storedDir, m_newQueueDir, true},
                 kAdminQueueDirChanged);
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
    if (!AcceptAsQueueDirectory(m_newQueueDir, m_serverProfile, m_queueName, m_reporter))
        return m_run.End(CommandOutcome::kRefused);

    CContentMover mover(m_storedDir, m_newQueueDir, m_reporter, m_run.Created());
    mover.CompareByContent(kJobControlPattern);
    if (!m_run.Survey(mover) ||
        !m_run.StartCarrying(WidenText(m_newQueueDir),
                             FormatMessageText(IDS_MOVING_QUEUE, {WidenText(m_queueName)})))
        return m_run.End(CommandOutcome::kRefused);
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

// The job control files carried are pointed at the new directory; then the old directory is
// listed again, until a listing finds nothing new, changed or gone: jobs spooled or changed
// meanwhile are carried, tested and pointed there too. Only the store follows the last listing.
CommandResult CQueueDirectoryChange::CarryAndStore(CContentMover& mover)
{
    if (!mover.Carry() || m_run.Cancelled() ||
        !RewriteJobControlFiles(mover.CarriedFiles(kJobControlPattern)) || !m_run.NoteStore())
        return m_run.End(CommandOutcome::kFailed);
    bool turnedBusy = false;
    const CContentMover::Settled settled = mover.Settle(
        {[this] { return m_run.AwaitJournal(); },
         [&](const std::vector<std::wstring>& changedJobs)
         {
             turnedBusy = AnyJobBusy(InFolder(m_storedDir, changedJobs), m_reporter);
             return !turnedBusy && RewriteJobControlFiles(InFolder(m_newQueueDir, changedJobs));
         }});
    if (settled != CContentMover::Settled::kSettled || m_run.Cancelled())
        return m_run.End(turnedBusy || settled == CContentMover::Settled::kKeptChanging
                             ? CommandOutcome::kTryLater
                             : CommandOutcome::kFailed);
    return m_run.Store(&mover);
}

// Points the job control files that the move carried at the new directory; false after the
// first that fails (IDS_STORE_FAILED) or once the user cancels. A job control file that was in
// the new directory before belongs to another queue and is left as it is. Each copy is held
// open while it is rewritten, and proved anew for the rollback from that handle, while its path
// still shows what the handle does (the profile functions write a file in place), else from its
// path.
bool CQueueDirectoryChange::RewriteJobControlFiles(const std::vector<std::wstring>& jobFiles)
{
    m_reporter.BeginStep(LoadResourceTextW(IDS_STEP_UPDATING_JOBS), jobFiles.size(), 0);
    ULONGLONG updated = 0;
    for (const std::wstring& jobFile : jobFiles)
    {
        // Only the move's own copy is rewritten; until it is whole again, its identity proves it.
        const CHeldEntry held(jobFile);
        FileIdentity copy;
        if (!held.ReadIdentity(copy) || !m_run.Created().IsOwnFile(jobFile, copy))
        {
            ReportPathFailure(m_reporter, IDS_OPEN_WRITE_FAILED, jobFile,
                              LoadResourceTextW(IDS_CHANGED_MEANWHILE));
            return false;
        }
        m_run.Created().Made(false, jobFile, &copy);
        const StoreResult rewritten = RewriteJobControlFile(jobFile, m_storedDir, m_newQueueDir,
                                                            [this]
                                                            {
                                                                m_reporter.Pump();
                                                                return !m_reporter.IsCancelled();
                                                            });
        if (m_reporter.IsCancelled())
            return false;
        if (!rewritten.stored)
        {
            ReportStoreFailure(m_reporter, jobFile, rewritten);
            return false;
        }
        if (!m_run.Created().Completed(jobFile, held.ReadRewritten(copy) ? &copy : nullptr))
        {
            ReportJournalFailure(m_reporter, m_run.Created().JournalPath(),
                                 m_run.Created().JournalError());
            return false;
        }
        m_reporter.SetDone(++updated, 0);
        m_reporter.Pump();
        HoldMoveAt("rewrite", m_reporter);
    }
    return true;
}
} // namespace

CommandResult ChangeQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                                   const std::string& newQueueDir, CReporter& reporter,
                                   const CommandOptions& options)
{
    CCommandRun run(serverProfile.GetPath(), serverProfile, reporter, options,
                    FormatMessageText(IDS_WHAT_QUEUE, {WidenText(queueName)}));
    return run.Run(
        [&] { return CQueueDirectoryChange(run, serverProfile, queueName, newQueueDir).Run(); });
}
