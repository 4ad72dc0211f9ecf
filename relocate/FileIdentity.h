#pragma once

#include <string>

// True when both paths reach the same existing directory or file, whatever their spelling:
// letter case, trailing separators, another drive letter or link that leads to the same place.
bool IsSameFileSystemObject(const std::string& first, const std::string& second);
