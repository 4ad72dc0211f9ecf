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
