#pragma once

#include <windows.h>

// Waits up to `timeoutMs` for `handle`, answering meanwhile what other threads and processes
// send to this thread (a broadcast, a window asking whether it still responds), so that none of
// them waits for the wait. Nothing posted is taken. Returns the wait's result, WAIT_TIMEOUT also
// when it ended early to answer a message.
DWORD WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs);
