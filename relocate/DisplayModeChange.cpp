#include "relocate/DisplayModeChange.h"

#include "config/ConfigLayout.h"
#include "config/DisplayModes.h"
#include "config/PlacementRecord.h"
#include "config/ProfileStore.h"
#include "framework/ResourceText.h"
#include "framework/WideText.h"
#include "notify/AdminMessage.h"
#include "relocate/CommandRun.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

namespace
{
std::string FormatPlacementRecord(const PlacementRecord& p)
{
    std::string record;
    FormatText(record, layout::kPlacementFormat, p.flags, p.showCommand, p.minPosition[0],
               p.minPosition[1], p.maxPosition[0], p.maxPosition[1], p.normalPosition[0],
               p.normalPosition[1], p.normalPosition[2], p.normalPosition[3]);
    return record;
}

std::string StoredRecord(const CProfileFile& serverProfile)
{
    return serverProfile.GetString(layout::kWindowPosSection, layout::kWindowPosKey);
}

CommandResult ChangeDisplayIn(CCommandRun& run, const CProfileFile& serverProfile, UINT showCommand)
{
    IReporter& reporter = run.Reporter();
    if (!run.Begin())
        return run.Refuse(CommandOutcome::kTryLater);
    const std::string stored = StoredRecord(serverProfile);
    PlacementRecord placement;
    if (stored.empty() || !ParsePlacementRecord(stored, placement))
    {
        ReportMessage(reporter, IDS_NO_WINDOW_RECORD, MB_ICONEXCLAMATION);
        return run.Refuse(CommandOutcome::kRefused);
    }
    run.Result().before = NarrowText(DisplayModeName(placement.showCommand));
    run.Result().after = NarrowText(DisplayModeName(showCommand));
    if (run.Options().leaveUnchanged && placement.showCommand == showCommand)
        return run.Refuse(CommandOutcome::kUnchanged);
    if (run.Options().whatIf)
        return run.EndWhatIf();

    placement.showCommand = showCommand;
    const std::wstring profilePath = WidenText(serverProfile.GetPath());
    // Another program may have changed the record meanwhile: its change is not lost.
    if (StoredRecord(serverProfile) != stored)
    {
        ReportStoreFailure(reporter, profilePath, 0);
        return run.Fail();
    }
    const StoreResult result =
        ReplaceString(serverProfile, layout::kWindowPosSection, layout::kWindowPosKey,
                      FormatPlacementRecord(placement), stored);
    if (!result.stored)
    {
        ReportStoreFailure(reporter, profilePath, result.error);
        return run.Fail();
    }
    run.Result().notified = PostAdminMessage(showCommand, kAdminDisplayModeChanged);
    return run.Succeed();
}
} // namespace

CommandResult ChangeDisplayMode(const CProfileFile& serverProfile, UINT showCommand,
                                IReporter& reporter, const CommandOptions& options)
{
    CCommandRun run(serverProfile.GetPath(), reporter, options,
                    LoadResourceTextW(IDS_WHAT_DISPLAY));
    return run.Run([&] { return ChangeDisplayIn(run, serverProfile, showCommand); });
}
