#pragma once

#include <windows.h>

#include <string>

// The error texts that failure messages end with.

// The run-time library's standard text for an error number ("File name too long" for
// ENAMETOOLONG, which not every library words alike); in wide characters for wide messages.
std::string ErrorText(int errorNumber);
std::wstring ErrorTextW(int errorNumber);

// The run-time library's standard mapping of a platform error code to an error number, owned
// here so that the messages quote the same text on every platform (Wine's own run-time library
// maps many codes differently).
int ErrnoFromPlatformError(DWORD error);

// Sets the error number from the calling thread's last platform error.
void SetErrnoFromLastError();
