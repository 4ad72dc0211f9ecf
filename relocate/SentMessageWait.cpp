#include "relocate/SentMessageWait.h"

DWORD WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs)
{
    const DWORD waited = MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs, QS_SENDMESSAGE);
    if (waited != WAIT_OBJECT_0 + 1)
        return waited;
    MSG message; // any peek delivers what was sent
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    return WAIT_TIMEOUT;
}
