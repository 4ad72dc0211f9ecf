#pragma once

#include <string>

// File helpers for tests, on Windows paths.
std::string ReadFileText(const std::string& path);
bool WriteFileText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Creates `path` and every missing parent.
bool MakeDirectories(const std::string& path);
// Deletes a directory and everything in it; a missing one is fine.
void DeleteTree(const std::string& path);
// The directory of this test program, ending in a backslash.
std::string ThisProgramDirectory();
