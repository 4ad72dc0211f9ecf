#pragma once

#include "config/ProfileFile.h"

#include <string>

// "Set Root": moves the server's root directory to `newRoot`. Creates the log directory under
// the new root when needed, carries the old log files over, and only then stores the new root
// in `systemProfile` and tells a running server. Every refusal and failure is reported in a
// message box. Returns true when the new root was stored.
bool ChangeRootDirectory(const CProfileFile& systemProfile, const std::string& newRoot);
