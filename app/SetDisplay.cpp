#include "app/AdminDlg.h"

#include "config/ConfigLayout.h"
#include "config/PlacementRecord.h"
#include "config/ProfileStore.h"
#include "notify/AdminMessage.h"
#include "res/resource.h"
#include "ui/MessageReport.h"

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
} // namespace

// "Set Display": replaces the show command inside the server's window placement record, read
// afresh, and tells the server once the new record is stored. The tool never creates a record:
// without a complete one it refuses.
void CAdminDlg::OnSetDisplay()
{
    const int index = m_displayCombo.GetCurSel();
    if (index == CB_ERR)
        return;
    const auto showCommand = static_cast<UINT>(m_displayCombo.GetItemData(index));

    const std::string stored =
        m_serverProfile.GetString(layout::kWindowPosSection, layout::kWindowPosKey);
    PlacementRecord placement;
    if (stored.empty() || !ParsePlacementRecord(stored, placement))
    {
        ShowMessage(IDS_NO_WINDOW_RECORD, MB_ICONEXCLAMATION);
        return;
    }

    placement.showCommand = showCommand;
    const StoreResult result =
        ReplaceString(m_serverProfile, layout::kWindowPosSection, layout::kWindowPosKey,
                      FormatPlacementRecord(placement), stored);
    if (!result.stored)
    {
        ReportStoreFailure(m_serverProfile.GetPath(), result.error);
        return;
    }
    PostAdminMessage(showCommand, kAdminDisplayModeChanged);
}
