#pragma once

#include <windows.h>

// The run-time library's standard mapping of a platform error code to an error number, owned
// here so that the messages quote the same text on every platform (Wine's own run-time library
// maps many codes differently).
int ErrnoFromPlatformError(DWORD error);

// Sets the error number from the calling thread's last platform error.
void SetErrnoFromLastError();
