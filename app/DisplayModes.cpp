#include "app/DisplayModes.h"

#include "res/resource.h"

const DisplayMode g_displayModes[kDisplayModeCount] = {
    {IDS_MODE_NORMAL, SW_SHOWNORMAL},
    {IDS_MODE_ICON, SW_MINIMIZE},
    {IDS_MODE_FULL_SCREEN, SW_SHOWMAXIMIZED},
    {IDS_MODE_HIDDEN, SW_HIDE},
};
