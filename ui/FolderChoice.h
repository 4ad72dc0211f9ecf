#pragma once

#include <string>

// Runs the folder chooser opened at `initialFolder`. True with `chosen` set when the user chose
// a folder that can be stored in a profile; a folder whose path holds a line break would break
// the server's profile apart, so it is refused with a message. False on cancel or refusal.
bool ChooseFolderForProfile(const std::string& initialFolder, std::string& chosen);
