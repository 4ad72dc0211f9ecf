#pragma once

#include <string>

// What names one existing file or directory, whatever path leads to it.
struct FileIdentity
{
    unsigned long volume = 0;
    unsigned long long index = 0; // 0: the file system gives no unique index
    std::wstring finalPath;       // the platform's final path name; empty when it gives none
};

// The identity of what `path` names; false when nothing can be opened there.
bool ReadFileIdentity(const std::wstring& path, FileIdentity& identity);

// True when both identities name the same object. An index of 0 is unknown; a match is
// confirmed by the final path names, wherever the platform gives them.
bool IsSameObject(const FileIdentity& first, const FileIdentity& second);

// True when `holder` is `inner` or a directory that holds it at any depth.
bool IsOrHolds(const FileIdentity& holder, const FileIdentity& inner);

// True when both paths reach the same existing directory or file, whatever their spelling:
// letter case, trailing separators, another drive letter or link that leads to the same place.
bool IsSameFileSystemObject(const std::wstring& first, const std::wstring& second);
