#include "relocate/RootDirectoryChange.h"

#include "config/ConfigLayout.h"
#include "config/ProfileStore.h"
#include "notify/AdminMessage.h"
#include "relocate/DirectoryChecks.h"
#include "relocate/DirectoryMover.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/RelocationRun.h"
#include "res/resource.h"
#include "ui/MessageReport.h"

#include <cerrno>

namespace
{
// The log directory under the new root, created when it does not exist as a writable entry.
// It stays even when the command fails later.
bool PrepareNewLogDirectory(const std::string& newLogDir)
{
    if (CheckAccess(newLogDir, kAccessWritable) == 0 || MakeDirectory(newLogDir) == 0)
        return true;
    ReportPathFailure(IDS_CREATE_LOG_DIR_FAILED, newLogDir, ErrorText(errno));
    return false;
}
} // namespace

bool ChangeRootDirectory(const CProfileFile& systemProfile, const std::string& newRoot)
{
    const std::string storedRoot =
        systemProfile.GetString(layout::kSettingsSection, layout::kRootDirKey);
    if (!IsDirectoryChange(storedRoot, newRoot))
        return false;

    const std::string newLogDir = newRoot + layout::kLogDirSuffix;
    if (!PrepareNewLogDirectory(newLogDir))
        return false;

    CRelocationRun run;
    const std::string oldLogDir = storedRoot + layout::kLogDirSuffix;
    if (!MoveDirectoryContents(oldLogDir, newLogDir, &run.Created(), &run.Progress()) ||
        run.Cancelled())
        return run.Fail();

    const StoreResult stored = ReplaceString(systemProfile, layout::kSettingsSection,
                                             layout::kRootDirKey, newRoot, storedRoot);
    if (!stored.stored)
    {
        ReportStoreFailure(systemProfile.GetPath(), stored.error);
        // Only while the profile names the old root may the copies go.
        return systemProfile.GetString(layout::kSettingsSection, layout::kRootDirKey) == storedRoot
                   ? run.Fail()
                   : run.FailKeepingCopies();
    }
    PostAdminMessage(0, kAdminRootDirChanged);
    return run.Succeed();
}
