#include "relocate/QueueDirectoryChange.h"

#include "config/ConfigLayout.h"
#include "config/ProfileStore.h"
#include "framework/Reporter.h"
#include "framework/ResourceText.h"
#include "framework/WideText.h"
#include "notify/AdminMessage.h"
#include "relocate/CommandRun.h"
#include "relocate/DirectoryChecks.h"
#include "relocate/DirectoryMover.h"
#include "relocate/JobControlRewrite.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <cerrno>

namespace
{
const std::wstring kJobControlPattern = WidenText(layout::kJobControlPattern);

// A directory that holds anything named "queue.ini" belongs to a queue already.
bool HoldsQueueProfile(const std::string& directory)
{
    return CheckAccess(directory + layout::kQueueProfileSuffix, kAccessExists) == 0;
}

bool IsBusy(const std::wstring& jobFile)
{
    return GetProfileIntAt(jobFile, layout::kSettingsSection, layout::kXferKey, 0) != 0 ||
           GetProfileIntAt(jobFile, layout::kSettingsSection, layout::kPrintKey, 0) != 0;
}

// True when any of the jobs is in transfer or printing (message 5). Every file is examined,
// unless the user cancels; Print is read only for a job that is not in transfer.
bool AnyJobBusy(const std::vector<std::wstring>& jobFiles, IReporter& reporter)
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
                         IReporter& reporter)
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

bool EnterQueueDirectory(const std::string& storedDir, IReporter& reporter)
{
    if (ChangeDirectory(storedDir, reporter) == 0)
        return true;
    ReportFormatted(reporter, IDS_ENTER_QUEUE_DIR_FAILED, MB_ICONEXCLAMATION,
                    {WidenText(storedDir), ErrorTextW(errno)});
    return false;
}

// Points the job control files that the move carried at the new directory; false after the
// first that fails (message 18) or once the user cancels. A job control file that was in the
// new directory before belongs to another queue and is left as it is.
bool RewriteJobControlFiles(const std::vector<std::wstring>& jobFiles,
                            const std::string& newQueueDir, IReporter& reporter)
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
    }
    return true;
}

// Replaces the queue's stored directory: every queuedir key is removed and the file flushed
// first, so that exactly one is left, then the new one written and flushed. A failure is
// reported (message 18); when it came after the removal went through, the old directory is
// written back, checked too, so that the queue never loses its directory, and a write-back
// that fails as well is reported as well.
bool StoreQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                         const std::string& oldQueueDir, const std::string& newQueueDir,
                         IReporter& reporter)
{
    const char* section = queueName.c_str();
    const std::wstring path = WidenText(serverProfile.GetPath());
    CCheckedChanges changes(serverProfile);
    const bool removed = changes.Remove(section, layout::kQueueDirKey);
    if (removed)
    {
        serverProfile.DeleteKey(nullptr, nullptr);
        changes.Write(section, layout::kQueueDirKey, newQueueDir);
        serverProfile.DeleteKey(nullptr, nullptr);
    }
    const StoreResult result = changes.Finish();
    if (result.stored)
        return true;
    ReportStoreFailure(reporter, path, result.error);
    // Some of the keys may have gone before the failure, whatever the removal's result.
    if (serverProfile.GetString(section, layout::kQueueDirKey) == oldQueueDir)
        return false;
    CCheckedChanges writeBack(serverProfile);
    writeBack.Remove(section, layout::kQueueDirKey);
    writeBack.Write(section, layout::kQueueDirKey, oldQueueDir);
    serverProfile.DeleteKey(nullptr, nullptr);
    const StoreResult restored = writeBack.Finish();
    if (!restored.stored)
        ReportStoreFailure(reporter, path, restored.error);
    return false;
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
    std::string StoredDir() const
    {
        return m_serverProfile.GetString(m_queueName.c_str(), layout::kQueueDirKey);
    }
    // The busy test of the old directory's jobs; false when they could not be listed.
    bool TestOldJobs(bool& busy);
    CommandResult CarryAndStore(CContentMover& mover);
    CommandResult Store();

    CCommandRun& m_run;
    IReporter& m_reporter;
    const CProfileFile& m_serverProfile;
    const std::string& m_queueName;
    const std::string& m_newQueueDir;
    std::string m_storedDir;
};

CommandResult CQueueDirectoryChange::Run()
{
    if (!m_run.Begin())
        return m_run.Refuse(CommandOutcome::kTryLater);
    m_storedDir = StoredDir();
    m_run.Result().before = m_storedDir;
    m_run.Result().after = m_newQueueDir;
    CommandOutcome refusal;
    if (!IsDirectoryChange(m_storedDir, m_newQueueDir, m_reporter, refusal,
                           m_run.Options().leaveUnchanged))
        return m_run.Refuse(refusal);
    if (!EnterQueueDirectory(m_storedDir, m_reporter))
        return m_run.Fail();
    bool busy = false;
    if (!TestOldJobs(busy) || m_run.Cancelled())
        return m_run.Fail();
    if (busy)
        return m_run.Refuse(CommandOutcome::kTryLater);
    if (!AcceptAsQueueDirectory(m_newQueueDir, m_reporter))
        return m_run.Refuse(CommandOutcome::kRefused);

    CContentMover mover(m_storedDir, m_newQueueDir, m_reporter, &m_run.Created());
    if (!mover.Survey())
        return m_run.Fail();
    m_run.Result().files = mover.SourceFiles();
    m_run.Result().bytes = mover.SourceBytes();
    m_run.Result().freeBytes = mover.FreeBytes();
    if (m_run.Options().whatIf)
        return m_run.EndWhatIf();
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
        return m_run.Fail();
    // Jobs that the server spooled or changed meanwhile must be idle too.
    bool turnedBusy = false;
    const CContentMover::Settled settled =
        mover.Settle(kJobControlPattern, [&](const std::vector<std::wstring>& changedJobs)
                     { return !(turnedBusy = AnyJobBusy(changedJobs, m_reporter)); });
    if (settled != CContentMover::Settled::kSettled || m_run.Cancelled())
        return m_run.Fail(turnedBusy || settled == CContentMover::Settled::kKeptChanging
                              ? CommandOutcome::kTryLater
                              : CommandOutcome::kFailed);
    if (!RewriteJobControlFiles(mover.CarriedFiles(kJobControlPattern), m_newQueueDir, m_reporter))
        return m_run.Fail();
    return Store();
}

CommandResult CQueueDirectoryChange::Store()
{
    // Another program may have set the queue's directory meanwhile: its change is not lost.
    if (StoredDir() != m_storedDir)
    {
        ReportStoreFailure(m_reporter, WidenText(m_serverProfile.GetPath()), 0);
        return m_run.Fail();
    }
    if (!m_run.BeginStore(m_serverProfile, m_queueName.c_str(), layout::kQueueDirKey,
                          m_newQueueDir))
        return m_run.Fail();
    if (!StoreQueueDirectory(m_serverProfile, m_queueName, m_storedDir, m_newQueueDir, m_reporter))
    {
        // Only while the profile names the old directory may the copies go.
        return StoredDir() == m_storedDir ? m_run.Fail() : m_run.FailKeepingCopies();
    }
    m_run.Result().notified = PostAdminMessage(0, kAdminQueueDirChanged);
    return m_run.Succeed();
}
} // namespace

bool AcceptAsQueueDirectory(const std::string& directory, IReporter& reporter)
{
    if (!HoldsQueueProfile(directory))
        return true;
    ReportMessage(reporter, IDS_DIR_IN_USE, MB_ICONINFORMATION);
    return false;
}

CommandResult ChangeQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                                   const std::string& newQueueDir, IReporter& reporter,
                                   const CommandOptions& options)
{
    CCommandRun run(serverProfile.GetPath(), reporter, options,
                    FormatMessageText(IDS_WHAT_QUEUE, {WidenText(queueName)}));
    return run.Run(
        [&] { return CQueueDirectoryChange(run, serverProfile, queueName, newQueueDir).Run(); });
}
