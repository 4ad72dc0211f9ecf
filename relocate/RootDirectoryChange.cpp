#include "relocate/RootDirectoryChange.h"

#include "config/ConfigLayout.h"
#include "notify/AdminMessage.h"
#include "relocate/DirectoryMover.h"
#include "relocate/DirectoryPrimitives.h"
#include "res/resource.h"
#include "ui/MessageReport.h"

#include <cerrno>

bool ChangeRootDirectory(const CProfileFile& systemProfile, const std::string& newRoot)
{
    const std::string storedRoot =
        systemProfile.GetString(layout::kSettingsSection, layout::kRootDirKey);
    if (storedRoot == newRoot)
    {
        ShowMessage(IDS_DIR_UNCHANGED, MB_ICONINFORMATION);
        return false;
    }

    const std::string newLogDir = newRoot + layout::kLogDirSuffix;
    if (CheckAccess(newLogDir, kAccessWritable) != 0 && MakeDirectory(newLogDir) != 0)
    {
        const std::string error = ErrorText(errno);
        std::string message;
        FormatResourceText(message, IDS_CREATE_LOG_DIR_FAILED, newLogDir.c_str(), error.c_str());
        ShowMessage(message, MB_ICONEXCLAMATION);
        return false;
    }

    const std::string oldLogDir = storedRoot + layout::kLogDirSuffix;
    if (!MoveDirectoryContents(oldLogDir, newLogDir))
        return false;

    systemProfile.WriteString(layout::kSettingsSection, layout::kRootDirKey, newRoot.c_str());
    PostAdminMessage(0, kAdminRootDirChanged);
    return true;
}
