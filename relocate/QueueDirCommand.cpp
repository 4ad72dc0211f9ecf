#include "app/AdminDlg.h"

#include "config/ConfigLayout.h"
#include "notify/AdminMessage.h"
#include "relocate/DirectoryMover.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/FolderChoice.h"
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

// "Browse" for the selected queue's directory: a folder that belongs to a queue already is
// refused; any other is shown and proposed, and nothing is written.
void CAdminDlg::OnBrowseQueueDir()
{
    std::string folder;
    if (!ChooseFolderForProfile(m_queueDir, folder))
        return;
    if (HoldsQueueProfile(folder))
    {
        ShowMessage(IDS_DIR_IN_USE, MB_ICONINFORMATION);
        return;
    }
    m_queueDir = folder;
    UpdateData(FALSE);
}

// "Set Dir": checks that the directory changes, that the old one can be entered, that no job is
// busy and that the new one belongs to no queue; carries the queue's files over, points its job
// control files at the new directory, and only then stores it and tells the server. The current
// directory is left where the command's work ended.
void CAdminDlg::OnSetDir()
{
    std::string queueName;
    if (!GetSelectedQueue(queueName))
        return;
    const std::string storedDir =
        m_serverProfile.GetString(queueName.c_str(), layout::kQueueDirKey);
    if (m_queueDir == storedDir)
    {
        ShowMessage(IDS_DIR_UNCHANGED, MB_ICONINFORMATION);
        return;
    }

    if (ChangeDirectory(storedDir) != 0)
    {
        const std::string error = ErrorText(errno);
        std::string message;
        FormatResourceText(message, IDS_ENTER_QUEUE_DIR_FAILED, storedDir.c_str(), error.c_str());
        ShowMessage(message, MB_ICONEXCLAMATION);
        return;
    }
    if (AnyJobBusy(JobControlFiles(storedDir)))
    {
        ShowMessage(IDS_QUEUE_BUSY, MB_ICONINFORMATION);
        return;
    }
    if (HoldsQueueProfile(m_queueDir))
    {
        ShowMessage(IDS_DIR_IN_USE, MB_ICONINFORMATION);
        return;
    }

    if (!MoveDirectoryContents(storedDir, m_queueDir))
        return;
    ChangeDirectory(m_queueDir);
    for (const std::string& jobFile : JobControlFiles(m_queueDir))
        RewriteJobControlFile(jobFile, m_queueDir);

    // Deleted and flushed first, so that exactly one queuedir key is left.
    m_serverProfile.DeleteKey(queueName.c_str(), layout::kQueueDirKey);
    m_serverProfile.DeleteKey(nullptr, nullptr);
    m_serverProfile.WriteString(queueName.c_str(), layout::kQueueDirKey, m_queueDir.c_str());
    m_serverProfile.DeleteKey(nullptr, nullptr);
    PostAdminMessage(0, kAdminQueueDirChanged);
}
