#pragma once

#include <windows.h>

// The colours the dialogs of a thread are painted in: the application's, or the user's while
// the system's high-contrast mode is on.

// Paints every dialog box created on the calling thread from now on (the tool's own dialogs,
// its message boxes and the shell's folder chooser) with the given background and text colour.
// While high contrast is on they keep the system's colours instead, as the controls do; open
// dialogs are repainted when the mode or the system's colours change. Calling it again
// replaces the colours.
void InstallDialogColours(COLORREF background, COLORREF text);

// Whether the system's high-contrast mode is on.
bool IsHighContrastOn();
// Puts a test's answer in the platform's place (Wine keeps no high-contrast mode); null gives
// the question back to the platform.
void SetHighContrastQuery(bool (*query)());
