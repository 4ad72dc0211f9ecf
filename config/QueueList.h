#pragma once

#include "config/ProfileFile.h"

#include <string>
#include <vector>

// The queue names of the server profile: [Queues] Queue1, Queue2, ... up to the first missing
// or empty one, later keys never counted. The section is read in one call, so that a list of
// thousands opens as fast as a short one; each name reads as GetString would give it (blanks
// around it and one pair of enclosing quotes removed, at most 1023 characters).
std::vector<std::string> ReadQueueNames(const CProfileFile& serverProfile);

// The queue of the server profile that `name` names in any letter case, as [Queues] spells it;
// false when there is none.
bool FindQueueName(const CProfileFile& serverProfile, const std::wstring& name, std::string& queue);
