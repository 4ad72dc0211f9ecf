#pragma once

#include <windows.h>

#include <string>

// The bytes free for the calling user on the volume of `directory` (of the nearest folder
// above it that exists, when it does not yet); false when the platform cannot tell.
bool FreeBytesAvailable(const std::wstring& directory, ULONGLONG& bytes);

// True when the volume of `directory` is known to have no byte left for the calling user.
bool VolumeIsFull(const std::wstring& directory);
