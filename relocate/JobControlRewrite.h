#pragma once

#include "config/ProfileStore.h"

#include <functional>
#include <string>

// Points the data-file paths of one job control file, which already lies in the queue's new
// directory, from `oldQueueDir` at `newQueueDir`: a path in the old directory or below it goes
// to the same place below the new one (a subfolder stays a subfolder); a path elsewhere stays
// as it is, since its file was not carried; an empty path (no key) is written empty. The job's
// CurrentDataFile is removed. Only the entries
// File1 to File<TotalDataFiles> that the file holds are visited, in increasing order; a count
// beyond the int range stands for all of them. Names are read exactly, whatever the file's
// encoding; a file, key or path that the host code page cannot write exactly fails the
// rewrite (ERROR_NO_UNICODE_TRANSLATION) before it changes anything of that entry. Shows
// nothing; every change is checked (a section's changes when the section is read back), and
// the first failure found ends the rewrite and is returned. `keepGoing`, when given, is called
// before each entry; false stops the rewrite.
StoreResult RewriteJobControlFile(const std::wstring& jobFile, const std::string& oldQueueDir,
                                  const std::string& newQueueDir,
                                  const std::function<bool()>& keepGoing = nullptr);
