#include "relocate/QueueDirectoryChange.h"

#include "config/ConfigLayout.h"
#include "config/ProfileStore.h"
#include "notify/AdminMessage.h"
#include "relocate/DirectoryChecks.h"
#include "relocate/DirectoryMover.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/JobControlRewrite.h"
#include "relocate/RelocationRun.h"
#include "res/resource.h"
#include "ui/MessageReport.h"

#include <cerrno>

namespace
{
std::string JoinPath(const std::string& directory, const std::string& name)
{
    return directory + layout::kPathSeparator + name;
}

// A directory that holds anything named "queue.ini" belongs to a queue already.
bool HoldsQueueProfile(const std::string& directory)
{
    return CheckAccess(directory + layout::kQueueProfileSuffix, kAccessExists) == 0;
}

// Lists the job control files that `pattern` finds, joined to `directory`; a listing that
// fails is reported as a folder that cannot be read, since a job missed could be a busy one.
bool ListJobControlFiles(const std::string& pattern, const std::string& directory,
                         std::vector<FoundEntry>& jobs, std::vector<std::string>& paths)
{
    if (!FindEntries(pattern, jobs))
    {
        ReportPathFailure(IDS_OPEN_READ_FAILED, directory, ErrorText(errno));
        return false;
    }
    for (const FoundEntry& job : jobs)
        paths.push_back(JoinPath(directory, job.name));
    return true;
}

// True when any job is in transfer or printing. Every file is examined, unless the user
// cancels; Print is read only for a job that is not in transfer.
bool AnyJobBusy(const std::vector<std::string>& jobFiles, CProgressWindow& progress)
{
    int inTransfer = 0;
    int printing = 0;
    CProfileFile job;
    ULONGLONG checked = 0;
    for (const std::string& path : jobFiles)
    {
        job.SetPath(path);
        if (job.GetFlag(layout::kSettingsSection, layout::kXferKey, 0) == 1)
            ++inTransfer;
        else if (job.GetFlag(layout::kSettingsSection, layout::kPrintKey, 0) == 1)
            ++printing;
        progress.SetDone(++checked, 0);
        progress.Pump();
        if (progress.IsCancelled())
            return false;
    }
    return inTransfer > 0 || printing > 0;
}

bool EnterQueueDirectory(const std::string& storedDir)
{
    if (ChangeDirectory(storedDir) == 0)
        return true;
    const std::string error = ErrorText(errno);
    std::string message;
    FormatResourceText(message, IDS_ENTER_QUEUE_DIR_FAILED, storedDir.c_str(), error.c_str());
    ShowMessage(message, MB_ICONEXCLAMATION);
    return false;
}

// Points every job control file of the new directory at it; false after the first that fails
// (message 18) or once the user cancels. The files are found by a search of the new directory
// itself; a folder whose name matches is no job control file.
bool RewriteJobControlFiles(const std::string& newQueueDir, CProgressWindow& progress)
{
    std::vector<FoundEntry> entries;
    std::vector<std::string> jobFiles;
    if (!ListJobControlFiles(JoinPath(newQueueDir, layout::kJobControlPattern), newQueueDir,
                             entries, jobFiles))
        return false;
    progress.BeginStep(LoadResourceText(IDS_STEP_UPDATING_JOBS), entries.size(), 0);
    ULONGLONG updated = 0;
    for (size_t i = 0; i < entries.size(); ++i)
    {
        const std::string& jobFile = jobFiles[i];
        if (!(entries[i].attributes & FILE_ATTRIBUTE_DIRECTORY))
        {
            const StoreResult rewritten =
                RewriteJobControlFile(jobFile, newQueueDir, [&] { progress.Pump(); });
            if (!rewritten.stored)
            {
                ReportStoreFailure(jobFile, rewritten.error);
                return false;
            }
        }
        progress.SetDone(++updated, 0);
        progress.Pump();
        if (progress.IsCancelled())
            return false;
    }
    return true;
}

// Replaces the queue's stored directory: deleted and flushed first, so that exactly one
// queuedir key is left, then written and flushed. When the store fails after the delete went
// through, the old directory is written back, so that the queue never loses its directory.
StoreResult StoreQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                                const std::string& oldQueueDir, const std::string& newQueueDir)
{
    const char* section = queueName.c_str();
    CCheckedChanges changes(serverProfile);
    const bool removed = changes.Remove(section, layout::kQueueDirKey);
    if (removed)
    {
        serverProfile.DeleteKey(nullptr, nullptr);
        changes.Write(section, layout::kQueueDirKey, newQueueDir);
        serverProfile.DeleteKey(nullptr, nullptr);
    }
    const StoreResult result = changes.Finish();
    if (!result.stored && removed)
    {
        serverProfile.WriteString(section, layout::kQueueDirKey, oldQueueDir.c_str());
        serverProfile.DeleteKey(nullptr, nullptr);
    }
    return result;
}
} // namespace

bool AcceptAsQueueDirectory(const std::string& directory)
{
    if (!HoldsQueueProfile(directory))
        return true;
    ShowMessage(IDS_DIR_IN_USE, MB_ICONINFORMATION);
    return false;
}

bool ChangeQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                          const std::string& newQueueDir)
{
    const std::string storedDir = serverProfile.GetString(queueName.c_str(), layout::kQueueDirKey);
    if (!IsDirectoryChange(storedDir, newQueueDir))
        return false;

    CRelocationRun run;
    if (!EnterQueueDirectory(storedDir))
        return run.Fail();
    std::vector<FoundEntry> jobs;
    std::vector<std::string> jobFiles;
    if (!ListJobControlFiles(layout::kJobControlPattern, storedDir, jobs, jobFiles))
        return run.Fail();
    std::string step;
    FormatResourceText(step, IDS_STEP_CHECKING_JOBS, queueName.c_str());
    run.Progress().BeginStep(step, jobFiles.size(), 0);
    const bool busy = AnyJobBusy(jobFiles, run.Progress());
    if (run.Cancelled())
        return run.Fail();
    if (busy)
    {
        ShowMessage(IDS_QUEUE_BUSY, MB_ICONINFORMATION);
        return run.Fail();
    }
    if (!AcceptAsQueueDirectory(newQueueDir))
        return run.Fail();

    if (!MoveDirectoryContents(storedDir, newQueueDir, &run.Created(), &run.Progress()) ||
        !RewriteJobControlFiles(newQueueDir, run.Progress()) || run.Cancelled())
        return run.Fail();
    const StoreResult stored =
        StoreQueueDirectory(serverProfile, queueName, storedDir, newQueueDir);
    if (!stored.stored)
    {
        ReportStoreFailure(serverProfile.GetPath(), stored.error);
        // Only while the profile names the old directory may the copies go.
        return serverProfile.GetString(queueName.c_str(), layout::kQueueDirKey) == storedDir
                   ? run.Fail()
                   : run.FailKeepingCopies();
    }
    PostAdminMessage(0, kAdminQueueDirChanged);
    return run.Succeed();
}
