#include "config/ProfileLocations.h"

#include "config/ConfigLayout.h"

#include <windows.h>

std::string WindowsDirectory()
{
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, MAX_PATH);
    return path;
}

std::string ModuleFilePath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string WithTrailingBackslash(const std::string& dir)
{
    if (!dir.empty() && dir.back() == '\\')
        return dir;
    return dir + '\\';
}

std::string ModuleDirectory(const std::string& modulePath)
{
    const size_t lastBackslash = modulePath.rfind('\\');
    if (lastBackslash == std::string::npos)
        return modulePath + '\\';
    return modulePath.substr(0, lastBackslash + 1);
}

std::string SystemProfilePath(const std::string& windowsDir)
{
    return WithTrailingBackslash(windowsDir) + layout::kProfileFileName;
}

std::string ServerProfilePath(const std::string& iniSetting, const std::string& moduleDir)
{
    return iniSetting.empty() ? moduleDir + layout::kProfileFileName : iniSetting;
}

std::string HelpFilePath(const std::string& modulePath)
{
    const size_t lastDot = modulePath.rfind('.');
    if (lastDot == std::string::npos)
        return std::string();
    return modulePath.substr(0, lastDot + 1) + "hlp";
}

ServerProfiles LocateServerProfiles()
{
    ServerProfiles profiles;
    profiles.system.SetPath(SystemProfilePath(WithTrailingBackslash(WindowsDirectory())));
    profiles.server.SetPath(ServerProfilePath(
        profiles.system.GetString(layout::kSettingsSection, layout::kServerProfileKey),
        ModuleDirectory(ModuleFilePath())));
    return profiles;
}
