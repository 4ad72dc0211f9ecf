#include "app/AdminDlg.h"

#include "config/ConfigLayout.h"
#include "notify/AdminMessage.h"
#include "relocate/DirectoryMover.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/FolderChoice.h"
#include "res/resource.h"
#include "ui/MessageReport.h"

#include <cerrno>

// "Browse" for the root directory: the chosen folder is shown and proposed, nothing is written.
void CAdminDlg::OnBrowseRoot()
{
    std::string folder;
    if (!ChooseFolderForProfile(m_rootDir, folder))
        return;
    m_rootDir = folder;
    UpdateData(FALSE);
}

// "Set Root": creates the log directory under the new root when needed, carries the old log
// files over, and only then stores the new root and tells the server.
void CAdminDlg::OnSetRoot()
{
    const std::string storedRoot =
        m_systemProfile.GetString(layout::kSettingsSection, layout::kRootDirKey);
    if (storedRoot == m_rootDir)
    {
        ShowMessage(IDS_DIR_UNCHANGED, MB_ICONINFORMATION);
        return;
    }

    const std::string newLogDir = m_rootDir + layout::kLogDirSuffix;
    if (CheckAccess(newLogDir, kAccessWritable) != 0 && MakeDirectory(newLogDir) != 0)
    {
        const std::string error = ErrorText(errno);
        std::string message;
        FormatResourceText(message, IDS_CREATE_LOG_DIR_FAILED, newLogDir.c_str(), error.c_str());
        ShowMessage(message, MB_ICONEXCLAMATION);
        return;
    }

    const std::string oldLogDir = storedRoot + layout::kLogDirSuffix;
    if (!MoveDirectoryContents(oldLogDir, newLogDir))
        return;

    m_systemProfile.WriteString(layout::kSettingsSection, layout::kRootDirKey, m_rootDir.c_str());
    PostAdminMessage(0, kAdminRootDirChanged);
}
