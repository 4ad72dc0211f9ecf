#include "relocate/QueueDirectoryChange.h"

#include "config/ConfigLayout.h"
#include "notify/AdminMessage.h"
#include "relocate/DirectoryMover.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/JobControlRewrite.h"
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

// The job control files of the current directory, joined to `directory`.
std::vector<std::string> JobControlFiles(const std::string& directory)
{
    std::vector<std::string> names;
    FindNames(layout::kJobControlPattern, names);
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(JoinPath(directory, name));
    return paths;
}

// True when any job is in transfer or printing. Every file is examined; Print is read only
// for a job that is not in transfer.
bool AnyJobBusy(const std::vector<std::string>& jobFiles)
{
    int inTransfer = 0;
    int printing = 0;
    CProfileFile job;
    for (const std::string& path : jobFiles)
    {
        job.SetPath(path);
        if (job.GetFlag(layout::kSettingsSection, layout::kXferKey, 0) == 1)
            ++inTransfer;
        else if (job.GetFlag(layout::kSettingsSection, layout::kPrintKey, 0) == 1)
            ++printing;
    }
    return inTransfer > 0 || printing > 0;
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
    if (newQueueDir == storedDir)
    {
        ShowMessage(IDS_DIR_UNCHANGED, MB_ICONINFORMATION);
        return false;
    }

    if (ChangeDirectory(storedDir) != 0)
    {
        const std::string error = ErrorText(errno);
        std::string message;
        FormatResourceText(message, IDS_ENTER_QUEUE_DIR_FAILED, storedDir.c_str(), error.c_str());
        ShowMessage(message, MB_ICONEXCLAMATION);
        return false;
    }
    if (AnyJobBusy(JobControlFiles(storedDir)))
    {
        ShowMessage(IDS_QUEUE_BUSY, MB_ICONINFORMATION);
        return false;
    }
    if (!AcceptAsQueueDirectory(newQueueDir))
        return false;

    if (!MoveDirectoryContents(storedDir, newQueueDir))
        return false;
    ChangeDirectory(newQueueDir);
    for (const std::string& jobFile : JobControlFiles(newQueueDir))
        RewriteJobControlFile(jobFile, newQueueDir);

    // Deleted and flushed first, so that exactly one queuedir key is left.
    serverProfile.DeleteKey(queueName.c_str(), layout::kQueueDirKey);
    serverProfile.DeleteKey(nullptr, nullptr);
    serverProfile.WriteString(queueName.c_str(), layout::kQueueDirKey, newQueueDir.c_str());
    serverProfile.DeleteKey(nullptr, nullptr);
    PostAdminMessage(0, kAdminQueueDirChanged);
    return true;
}
