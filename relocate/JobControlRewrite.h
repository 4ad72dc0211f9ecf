#pragma once

#include "config/ProfileStore.h"

#include <functional>
#include <string>

// Points every data-file path of one job control file, which already lies in the queue's new
// directory, at `newQueueDir`: each path keeps its file name, from its last backslash on, and
// gets the new directory in front. The job's CurrentDataFile is removed. Shows nothing; every
// change is checked, and the first that fails ends the rewrite and is returned. `pump`, when
// given, is called after each entry, for a job of many data files.
StoreResult RewriteJobControlFile(std::string jobFile, std::string newQueueDir,
                                  const std::function<void()>& pump = nullptr);
