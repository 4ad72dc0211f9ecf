#include "config/DisplayModes.h"

#include "base/ResourceText.h"
#include "base/WideText.h"
#include "res/resource.h"

const DisplayMode g_displayModes[kDisplayModeCount] = {
    {IDS_MODE_NORMAL, SW_SHOWNORMAL},
    {IDS_MODE_ICON, SW_MINIMIZE},
    {IDS_MODE_FULL_SCREEN, SW_SHOWMAXIMIZED},
    {IDS_MODE_HIDDEN, SW_HIDE},
};

namespace
{
const DisplayMode* ModeOf(UINT showCommand)
{
    for (const DisplayMode& mode : g_displayModes)
        if (mode.showCommand == showCommand)
            return &mode;
    return nullptr;
}
} // namespace

std::wstring DisplayModeName(UINT showCommand)
{
    const DisplayMode* mode = ModeOf(showCommand);
    return mode != nullptr ? LoadResourceTextW(mode->nameId) : std::to_wstring(showCommand);
}

std::wstring ShownDisplayMode(UINT showCommand)
{
    const DisplayMode* mode = ModeOf(showCommand);
    return mode != nullptr ? LoadResourceTextW(mode->nameId) : L"none";
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
