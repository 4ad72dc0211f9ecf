#pragma once

#include <string>

class CProfileFile;
class CReporter;

// Whether a chosen folder (a full path, as Browse gives it or the command line resolved it)
// may be proposed as a directory of the server; gives its path in the host code page. Refused,
// each with its message: a name holding a line break (IDS_FOLDER_NAME_NOT_STORABLE); one not on
// a lettered drive, not exact in the host code page, or that would not read back unchanged
// through the profile functions (IDS_FOLDER_NOT_USABLE); no such folder (IDS_NO_SUCH_FOLDER).
bool AcceptChosenFolder(const std::wstring& folder, CReporter& reporter, std::string& narrow);

// True when `directory` may become the directory of queue `queueName` of the server whose
// profile is `serverProfile`: nothing named "queue.ini" lies in it, no other queue's directory
// is it, holds it or lies in it, and it is neither the root nor its log folder (elsewhere in
// the root is fine, and so is the queue's own old folder). Otherwise reports IDS_DIR_IN_USE.
// "Set Dir" asks it, and Browse for a queue asks it too.
bool AcceptAsQueueDirectory(const std::string& directory, const CProfileFile& serverProfile,
                            const std::string& queueName, CReporter& reporter);
