#include "config/DisplayModes.h"

#include "framework/ResourceText.h"
#include "framework/WideText.h"
#include "res/resource.h"

const DisplayMode g_displayModes[kDisplayModeCount] = {
    {IDS_MODE_NORMAL, SW_SHOWNORMAL},
    {IDS_MODE_ICON, SW_MINIMIZE},
    {IDS_MODE_FULL_SCREEN, SW_SHOWMAXIMIZED},
    {IDS_MODE_HIDDEN, SW_HIDE},
};

std::wstring DisplayModeName(UINT showCommand)
{
    for (const DisplayMode& mode : g_displayModes)
        if (mode.showCommand == showCommand)
            return LoadResourceTextW(mode.nameId);
    return std::to_wstring(showCommand);
}

bool FindDisplayMode(const std::wstring& name, UINT& showCommand)
{
    for (const DisplayMode& mode : g_displayModes)
    {
        const std::wstring modeName = LoadResourceTextW(mode.nameId);
        if (EqualIgnoringCase(name, modeName))
        {
            showCommand = mode.showCommand;
            return true;
        }
    }
    return false;
}
