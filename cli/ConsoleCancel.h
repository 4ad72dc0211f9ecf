#pragma once

#include <string>

// Ctrl+C, Ctrl+Break, the console closing and the session ending (a log-off or shutdown, heard
// through a hidden top-level window of the program's own) cancel a running command as the
// progress window's Cancel does. For a close, log-off or shutdown the process is held until the
// command has taken back what it copied, or a few seconds; while a move runs, a shutdown is
// asked to wait, the move named as the reason.

void InstallConsoleCancel();
bool ConsoleCancelled();
// The move that runs, for a shutdown to be held up for; empty once it is done.
void SetSessionActivity(const std::wstring& description);
// Tells a waiting close or session end that the command has ended.
void CommandFinished();
