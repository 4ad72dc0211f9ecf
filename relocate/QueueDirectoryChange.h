#pragma once

#include "config/ProfileFile.h"
#include "relocate/CommandResult.h"

#include <string>

class IReporter;

// True when `directory` may become a queue's directory: nothing named "queue.ini" lies in it.
// Otherwise reports message 6 and returns false.
bool AcceptAsQueueDirectory(const std::string& directory, IReporter& reporter);

// "Set Dir": gives queue `queueName` the directory `newQueueDir`. Holds the server's lock
// throughout; checks that the directory changes, that the old one can be entered, that no job
// is busy and that the new one belongs to no queue; carries the queue's files over, lists the
// old directory again until the copies match it (a running server may spool meanwhile),
// points the job control files it carried at the new directory, and only then, when the
// stored directory is still the one it started from, stores the new one in the server profile
// and tells a running server. Every refusal and failure is reported; a command that does not
// store its change removes what it copied.
CommandResult ChangeQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                                   const std::string& newQueueDir, IReporter& reporter,
                                   const CommandOptions& options = CommandOptions());
