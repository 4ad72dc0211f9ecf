#include "relocate/RootDirectoryChange.h"

#include "config/ConfigLayout.h"
#include "config/ProfileStore.h"
#include "framework/DiskSpace.h"
#include "framework/ResourceText.h"
#include "framework/WideText.h"
#include "notify/AdminMessage.h"
#include "relocate/CommandRun.h"
#include "relocate/DirectoryChecks.h"
#include "relocate/DirectoryMover.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <cerrno>

namespace
{
// The log directory under the new root, created when it does not exist as a writable entry
// (what-if only looks for the root it would be made in). It stays even when the command
// fails later.
bool PrepareNewLogDirectory(const std::string& newRoot, const std::string& newLogDir, bool whatIf,
                            IReporter& reporter)
{
    if (CheckAccess(newLogDir, kAccessWritable) == 0)
        return true;
    int error = 0;
    if (whatIf)
        error = IsFolderAttributes(GetFileAttributesA(newRoot.c_str())) ? 0 : ENOENT;
    else if (MakeDirectory(newLogDir) != 0)
        error = errno;
    if (error == 0)
        return true;
    ReportPathError(reporter, IDS_CREATE_LOG_DIR_FAILED, WidenText(newLogDir), error);
    return false;
}

std::string StoredRoot(const CProfileFile& systemProfile)
{
    return systemProfile.GetString(layout::kSettingsSection, layout::kRootDirKey);
}

CommandResult ChangeRootIn(CCommandRun& run, const CProfileFile& systemProfile,
                           const std::string& newRoot)
{
    IReporter& reporter = run.Reporter();
    if (!run.Begin())
        return run.Refuse(CommandOutcome::kTryLater);
    const std::string storedRoot = StoredRoot(systemProfile);
    run.Result().before = storedRoot;
    run.Result().after = newRoot;
    CommandOutcome refusal;
    if (!IsDirectoryChange(storedRoot, newRoot, reporter, refusal, run.Options().leaveUnchanged))
        return run.Refuse(refusal);

    const std::string newLogDir = newRoot + layout::kLogDirSuffix;
    if (!PrepareNewLogDirectory(newRoot, newLogDir, run.Options().whatIf, reporter))
        return run.Fail();
    CContentMover mover(storedRoot + layout::kLogDirSuffix, newLogDir, reporter, &run.Created());
    if (!mover.Survey())
        return run.Fail();
    run.Result().files = mover.SourceFiles();
    run.Result().bytes = mover.SourceBytes();
    run.Result().freeBytes = mover.FreeBytes();
    if (run.Options().whatIf)
    {
        if (run.Result().freeBytes == 0)
            FreeBytesAvailable(WidenText(newRoot), run.Result().freeBytes);
        return run.EndWhatIf();
    }

    run.StartCarrying(WidenText(newLogDir), LoadResourceTextW(IDS_MOVING_LOGS));
    if (!mover.Carry() || run.Cancelled())
        return run.Fail();
    const CContentMover::Settled settled = mover.Settle();
    if (settled != CContentMover::Settled::kSettled || run.Cancelled())
        return run.Fail(settled == CContentMover::Settled::kKeptChanging ? CommandOutcome::kTryLater
                                                                         : CommandOutcome::kFailed);

    // Another program may have set the root meanwhile: its change is not lost.
    const std::wstring profilePath = WidenText(systemProfile.GetPath());
    if (StoredRoot(systemProfile) != storedRoot)
    {
        ReportStoreFailure(reporter, profilePath, 0);
        return run.Fail();
    }
    if (!run.BeginStore(systemProfile, layout::kSettingsSection, layout::kRootDirKey, newRoot))
        return run.Fail();
    const StoreResult stored = ReplaceString(systemProfile, layout::kSettingsSection,
                                             layout::kRootDirKey, newRoot, storedRoot);
    if (!stored.stored)
    {
        ReportStoreFailure(reporter, profilePath, stored.error);
        // Only while the profile names the old root may the copies go.
        return StoredRoot(systemProfile) == storedRoot ? run.Fail() : run.FailKeepingCopies();
    }
    run.Result().notified = PostAdminMessage(0, kAdminRootDirChanged);
    return run.Succeed();
}
} // namespace

CommandResult ChangeRootDirectory(const CProfileFile& systemProfile,
                                  const CProfileFile& serverProfile, const std::string& newRoot,
                                  IReporter& reporter, const CommandOptions& options)
{
    CCommandRun run(serverProfile.GetPath(), reporter, options, LoadResourceTextW(IDS_WHAT_ROOT));
    return run.Run([&] { return ChangeRootIn(run, systemProfile, newRoot); });
}
