#pragma once

#include <string>

// True when setting `newDir` in place of the stored `storedDir` is a change that can be made.
// Otherwise shows why not and returns false: message 20 when there is no directory to set
// while one is stored, message 4 when both are the same (compared exactly).
bool IsDirectoryChange(const std::string& storedDir, const std::string& newDir);
