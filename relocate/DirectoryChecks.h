#pragma once

#include "relocate/CommandResult.h"

#include <string>

class CReporter;

// True when setting `newDir` in place of the stored `storedDir` is a change that can be made.
// Otherwise gives the outcome: refused, with IDS_CHOOSE_DIRECTORY_FIRST, when there is no
// directory to set while one is stored; unchanged when both are the same (compared exactly;
// with `leaveUnchanged` also when both name one existing folder, and then quietly, else with
// IDS_DIR_UNCHANGED).
bool IsDirectoryChange(const std::string& storedDir, const std::string& newDir, CReporter& reporter,
                       CommandOutcome& outcome, bool leaveUnchanged);
