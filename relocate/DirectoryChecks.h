#pragma once

#include "relocate/CommandResult.h"

#include <string>

class IReporter;

// True when setting `newDir` in place of the stored `storedDir` is a change that can be made.
// Otherwise reports why not and gives the outcome: message 20 (refused) when there is no
// directory to set while one is stored, message 4 (unchanged) when both are the same
// (compared exactly; with `sameFolderIsUnchanged`, also when both name one existing folder).
bool IsDirectoryChange(const std::string& storedDir, const std::string& newDir, IReporter& reporter,
                       CommandOutcome& outcome, bool sameFolderIsUnchanged = false);
