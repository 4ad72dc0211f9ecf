// kel-server.exe: a substitute for the KEL print server, for tests and the demo.
//
//   kel-server.exe [log file]
//
// It finds its profiles as the print server does: the system profile "kel.ini" in the Windows
// directory, and the server profile named by its [Settings] Ini, or "kel.ini" beside this
// program. Every admin message is logged with what the server re-reads on receipt.
#include "config/ConfigLayout.h"
#include "config/ProfileFile.h"
#include "config/ProfileLocations.h"
#include "server/ServerWindow.h"

#include <windows.h>

namespace
{

// The first argument of the command line, without quotes.
std::string LogPathFromCommandLine(const char* commandLine)
{
    std::string path(commandLine);
    const size_t first = path.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    path = path.substr(first);
    if (!path.empty() && path.front() == '"')
    {
        const size_t close = path.find('"', 1);
        return path.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return path.substr(0, path.find(' '));
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    CProfileFile systemProfile(SystemProfilePath(WindowsDirectory()));
    const std::string iniSetting =
        systemProfile.GetString(layout::kSettingsSection, layout::kServerProfileKey);
    CProfileFile serverProfile(ServerProfilePath(iniSetting, ModuleDirectory(ModuleFilePath())));

    CServerWindow server(systemProfile, serverProfile,
                         CServerLog(LogPathFromCommandLine(commandLine)));
    if (!server.Create(instance))
        return 1;
    return server.Run();
}
