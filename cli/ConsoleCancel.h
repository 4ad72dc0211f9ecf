#pragma once

// Ctrl+C, Ctrl+Break and the console closing (or the session ending under it) cancel a running
// command as the progress window's Cancel does. For a close, log-off or shutdown the handler
// holds the process until the command has taken back what it copied, or a few seconds.

void InstallConsoleCancel();
bool ConsoleCancelled();
// Tells a waiting close handler that the command has ended.
void CommandFinished();
