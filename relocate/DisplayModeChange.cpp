#include "relocate/DisplayModeChange.h"

#include "base/ResourceText.h"
#include "base/WideText.h"
#include "config/ConfigLayout.h"
#include "config/DisplayModes.h"
#include "config/PlacementRecord.h"
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

// The steps of "Set Display" within its run.
class CDisplayModeChange
{
public:
    CDisplayModeChange(CCommandRun& run, const CProfileFile& serverProfile, UINT showCommand)
        : m_run(run), m_serverProfile(serverProfile), m_showCommand(showCommand)
    {
    }
    CommandResult Run();

private:
    CCommandRun& m_run;
    const CProfileFile& m_serverProfile;
    const UINT m_showCommand;
};

CommandResult CDisplayModeChange::Run()
{
    CommandOutcome refusal;
    if (!m_run.Begin(refusal))
        return m_run.End(refusal);
    const std::string stored =
        m_serverProfile.GetString(layout::kWindowPosSection, layout::kWindowPosKey);
    PlacementRecord placement;
    if (stored.empty() || !ParsePlacementRecord(stored, placement))
    {
        ReportMessage(m_run.Reporter(), IDS_NO_WINDOW_RECORD, MB_ICONEXCLAMATION);
        return m_run.End(CommandOutcome::kRefused);
    }
    const UINT storedShowCommand = placement.showCommand;
    placement.showCommand = m_showCommand;
    m_run.Change({layout::kWindowPosSection, layout::kWindowPosKey, stored,
                  FormatPlacementRecord(placement), false},
                 kAdminDisplayModeChanged, m_showCommand);
    // The result names the modes, not the records.
    m_run.Result().before = NarrowText(DisplayModeName(storedShowCommand));
    m_run.Result().after = NarrowText(DisplayModeName(m_showCommand));
    if (m_run.Options().leaveUnchanged && storedShowCommand == m_showCommand)
        return m_run.End(CommandOutcome::kUnchanged);
    if (m_run.Options().whatIf)
        return m_run.End(CommandOutcome::kChanged);
    return m_run.Store();
}
} // namespace

CommandResult ChangeDisplayMode(const CProfileFile& serverProfile, UINT showCommand,
                                CReporter& reporter, const CommandOptions& options)
{
    CCommandRun run(serverProfile.GetPath(), serverProfile, reporter, options,
                    LoadResourceTextW(IDS_WHAT_DISPLAY));
    return run.Run([&] { return CDisplayModeChange(run, serverProfile, showCommand).Run(); });
}
