#pragma once

#include <string>

// Runs the folder chooser opened at `initialFolder`. True with `chosen` set when the user chose
// a folder that the server can use and its profiles can store; false on cancel or refusal.
// Refused, each with a message: a path that holds a line break, which would break the profile
// apart (message 17), and a path that is not on a lettered drive, whose name the host code
// page cannot write exactly, or that would not read back unchanged through the profile
// functions (message 19).
bool ChooseFolderForProfile(const std::string& initialFolder, std::string& chosen);
