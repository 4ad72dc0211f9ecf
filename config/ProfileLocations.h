#pragma once

#include "config/ProfileFile.h"

#include <string>

// Where the tool finds the server's profiles, from the Windows directory and its own file.

// The Windows directory and the full path of the running program, as the platform gives them
// into a 260-character buffer (empty when it gives nothing).
std::string WindowsDirectory();
std::string ModuleFilePath();

// `dir` with a backslash appended when it does not end in one ("" gives "\").
std::string WithTrailingBackslash(const std::string& dir);

// The directory of a program file, ending in its backslash; a path without any backslash
// gets one appended.
std::string ModuleDirectory(const std::string& modulePath);

// The system profile: "kel.ini" in the Windows directory.
std::string SystemProfilePath(const std::string& windowsDir);

// The server profile: the system profile's [Settings] Ini, or "kel.ini" beside the program.
std::string ServerProfilePath(const std::string& iniSetting, const std::string& moduleDir);

// The program's path with the text after its last '.' replaced by "hlp"; empty when the path
// has no '.'.
std::string HelpFilePath(const std::string& modulePath);

// The two profiles of the server on this machine, as both front ends find them.
struct ServerProfiles
{
    CProfileFile system;
    CProfileFile server;
};

// The system profile in the Windows directory, and the server profile it names (or the one
// beside the running program).
ServerProfiles LocateServerProfiles();
