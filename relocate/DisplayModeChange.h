#pragma once

#include "config/ProfileFile.h"
#include "relocate/CommandResult.h"

#include <windows.h>

class CReporter;

// "Set Display": replaces the show command inside the server's window placement record, read
// afresh under the server's lock, and tells the server once the new record is stored. The
// tool never creates a record: without a complete one it refuses (IDS_NO_WINDOW_RECORD).
CommandResult ChangeDisplayMode(const CProfileFile& serverProfile, UINT showCommand,
                                CReporter& reporter,
                                const CommandOptions& options = CommandOptions());
