#pragma once

#include "config/ProfileLocations.h"

#include <windows.h>

#include <string>
#include <vector>

// The server's settings as they stand: what the dialog shows when it opens, and what the
// command line's `show` prints, read by one rule.
struct ServerSettings
{
    ServerProfiles profiles;
    std::string root;
    // The window placement record exists; without one "Set Display" has nothing to change.
    bool hasPlacementRecord = false;
    // The record's show command, from its first two fields; kShowCommandWithoutRecord when
    // there is no record or they are not both numbers.
    UINT showCommand = 0;
    std::vector<std::string> queueNames; // in the profile's order

    // The stored directory of queue `name`, read afresh.
    std::string QueueDir(const std::string& name) const;
};

// The stored directory of queue `name` of the server profile.
std::string ReadQueueDir(const CProfileFile& serverProfile, const std::string& name);

// The settings of the server on this machine.
ServerSettings ReadServerSettings();
