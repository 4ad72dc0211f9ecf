#pragma once

#include "config/ProfileStore.h"

#include <functional>
#include <string>

// Points every data-file path of one job control file, which already lies in the queue's new
// directory, at `newQueueDir`: each path keeps its file name, from its last backslash on, and
// gets the new directory in front. The job's CurrentDataFile is removed. Only the entries
// File1 to File<TotalDataFiles> that the file holds are visited, in increasing order; a count
// beyond the int range stands for all of them. Names are read exactly, whatever the file's
// encoding; a file, key or path that the host code page cannot write exactly fails the
// rewrite (ERROR_NO_UNICODE_TRANSLATION) before it changes anything of that entry. Shows
// nothing; every change is checked, and the first that fails ends the rewrite and is
// returned. `keepGoing`, when given, is called before each entry; false stops the rewrite.
StoreResult RewriteJobControlFile(const std::wstring& jobFile, const std::string& newQueueDir,
                                  const std::function<bool()>& keepGoing = nullptr);
