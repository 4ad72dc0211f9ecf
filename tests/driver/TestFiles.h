#pragma once

#include <map>
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

// The Linux path behind a Windows path under Wine; empty when there is none.
std::string UnixPathOf(const std::string& windowsPath);
// Makes `linkPath` (a Windows path) a symbolic link to the Linux path `unixTarget`, with the
// system's own ln: faults such as a full disk are provoked through such links.
bool MakeSymbolicLink(const std::string& unixTarget, const std::string& linkPath);
// Every file directly in `directory` with its contents, keyed by name.
std::map<std::string, std::string> SnapshotFiles(const std::string& directory);
