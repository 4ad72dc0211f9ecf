#pragma once

#include <string>

// Where the tool finds the server's profiles, from the Windows directory and its own file.

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
