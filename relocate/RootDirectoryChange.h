#pragma once

#include "config/ProfileFile.h"
#include "relocate/CommandResult.h"

#include <string>

class CReporter;

// "Set Root": moves the server's root directory to `newRoot`. Holds the server's lock
// throughout; creates the log directory under the new root when needed, carries the old log
// files over until the copies match them (a running server may log meanwhile), and only then,
// when the stored root is still the one it started from, stores the new root in the system
// profile and tells a running server. Every refusal and failure is reported; a command that
// does not store its change removes what it copied (the new log directory stays).
CommandResult ChangeRootDirectory(const CProfileFile& systemProfile,
                                  const CProfileFile& serverProfile, const std::string& newRoot,
                                  CReporter& reporter,
                                  const CommandOptions& options = CommandOptions());
