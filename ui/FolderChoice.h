#pragma once

#include <string>

// Runs the folder chooser opened at `initialFolder`. True with `chosen` set when the user chose
// a folder that the server can use and its profiles can store; false on cancel or refusal.
// Refused, each with a message: a path that holds a line break, which would break the profile
// apart (message 17), and a path that is not on a lettered drive or whose name the host code
// page cannot write exactly (message 19): best-fit conversion could turn it into the name of
// another, existing folder.
bool ChooseFolderForProfile(const std::string& initialFolder, std::string& chosen);

// `wide` in the host code page, when it converts exactly: no best-fit mapping, no default
// character. False otherwise.
bool ToHostCodePageExactly(const std::wstring& wide, std::string& narrow);

// True when `path` begins with a drive letter, a colon and a backslash.
bool IsOnLetteredDrive(const std::string& path);
