#pragma once

#include "config/ProfileFile.h"

#include <string>

// True when `directory` may become a queue's directory: nothing named "queue.ini" lies in it.
// Otherwise shows message 6 and returns false.
bool AcceptAsQueueDirectory(const std::string& directory);

// "Set Dir": gives queue `queueName` the directory `newQueueDir`. Checks that the directory
// changes, that the old one can be entered, that no job is busy and that the new one belongs
// to no queue; carries the queue's files over, points its job control files at the new
// directory, and only then stores it in `serverProfile` and tells a running server. Every
// refusal and failure is reported in a message box. Returns true when the new directory was
// stored.
bool ChangeQueueDirectory(const CProfileFile& serverProfile, const std::string& queueName,
                          const std::string& newQueueDir);
