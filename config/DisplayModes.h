#pragma once

#include <windows.h>

#include <string>

// One display mode of the server's window: the string that names it and its show command.
struct DisplayMode
{
    UINT nameId;
    UINT showCommand;
};

inline constexpr int kDisplayModeCount = 4;

// Normal, Icon, Full screen, Hidden: the order of the display-mode list.
extern const DisplayMode g_displayModes[kDisplayModeCount];

// The show command in force when the server has stored no window placement record; no display
// mode carries it.
inline constexpr UINT kShowCommandWithoutRecord = SW_SHOW;

// The show command of the mode that the list names `name` (in any letter case); false when
// there is none.
bool FindDisplayMode(const std::wstring& name, UINT& showCommand);

// The name of a show command as the display-mode list shows it ("Hidden"), or its number when
// no mode carries it.
std::wstring DisplayModeName(UINT showCommand);

// The name of the mode that `showCommand` selects in the display-mode list, or "none" when it
// selects none.
std::wstring ShownDisplayMode(UINT showCommand);
