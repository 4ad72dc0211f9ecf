#include "config/ServerSettings.h"

#include "config/ConfigLayout.h"
#include "config/DisplayModes.h"
#include "config/PlacementRecord.h"
#include "config/QueueList.h"

std::string ReadQueueDir(const CProfileFile& serverProfile, const std::string& name)
{
    return serverProfile.GetString(name.c_str(), layout::kQueueDirKey);
}

std::string ServerSettings::QueueDir(const std::string& name) const
{
    return ReadQueueDir(profiles.server, name);
}

ServerSettings ReadServerSettings()
{
    ServerSettings settings;
    settings.profiles = LocateServerProfiles();
    settings.root =
        settings.profiles.system.GetString(layout::kSettingsSection, layout::kRootDirKey);
    const std::string record =
        settings.profiles.server.GetString(layout::kWindowPosSection, layout::kWindowPosKey);
    settings.hasPlacementRecord = !record.empty();
    settings.showCommand = ReadPlacementShowCommand(record, kShowCommandWithoutRecord);
    settings.queueNames = ReadQueueNames(settings.profiles.server);
    return settings;
}
