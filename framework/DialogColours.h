#pragma once

#include <windows.h>

// Paints every dialog box created on the calling thread from now on (the tool's own dialogs,
// its message boxes and the shell's folder chooser) with the given background and text colour.
// Calling it again replaces the colours.
void InstallDialogColours(COLORREF background, COLORREF text);
