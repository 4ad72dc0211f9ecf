#include "config/PlacementRecord.h"

#include "config/ConfigLayout.h"

#include <cstdio>

UINT ReadPlacementShowCommand(const std::string& record, UINT fallback)
{
    unsigned flags = 0;
    unsigned showCommand = 0;
    if (std::sscanf(record.c_str(), layout::kPlacementHeadFormat, &flags, &showCommand) != 2)
        return fallback;
    return showCommand;
}

bool ParsePlacementRecord(const std::string& record, PlacementRecord& placement)
{
    PlacementRecord& p = placement;
    return std::sscanf(record.c_str(), layout::kPlacementFormat, &p.flags, &p.showCommand,
                       &p.minPosition[0], &p.minPosition[1], &p.maxPosition[0], &p.maxPosition[1],
                       &p.normalPosition[0], &p.normalPosition[1], &p.normalPosition[2],
                       &p.normalPosition[3]) == 10;
}
