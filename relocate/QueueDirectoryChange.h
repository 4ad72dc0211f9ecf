#pragma once

#include "config/ProfileFile.h"
#include "relocate/CommandResult.h"

#include <string>

class CReporter;

// "Set Dir": gives queue `queueName` the directory `newQueueDir`. Holds the server's lock
// throughout; checks that the directory changes, that the old one can be entered, that no job
// is busy and that the new one belongs to no queue; carries the queue's files over, lists the
// old directory again until the copies match it (a running server may spool meanwhile),
// points the job control files it carried at the new directory, and only then stores the new
// directory in the server profile and tells a running server.
CommandResult ChangeQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                                   const std::string& newQueueDir, CReporter& reporter,
                                   const CommandOptions& options = CommandOptions());
