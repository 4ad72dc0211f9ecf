#pragma once

#include <windows.h>

#include <string>

// Numbers as Windows writes them for the user.

// A count with the user's digit grouping ("4,001").
std::string CountText(ULONGLONG count);

// A size in bytes, in the shell's short form ("1.52 MB", "133 KB", "512 bytes").
std::string ByteSizeText(ULONGLONG bytes);
