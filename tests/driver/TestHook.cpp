// kel-testhook.dll: loaded into the tool's process by hooks that the driver sets on the tool's
// thread. It records what another process cannot read: the icon of a message box, and when the
// thread has reached a marker message in its queue.
#include "tests/driver/MessageBoxReading.h"
#include "tests/driver/TestHookProtocol.h"

#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    KelTestCbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (GetClassLongPtrW(window, GCW_ATOM) == 32770 && !GetPropA(window, kIconKindProperty))
        {
            // Stored as kind + 1 so that "no icon" is told apart from "not recorded".
            SetPropA(window, kIconKindProperty,
                     reinterpret_cast<HANDLE>(static_cast<INT_PTR>(IconKindOf(window) + 1)));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    KelTestGetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    static const UINT marker = RegisterWindowMessageA(kMarkerMessageName);
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == marker)
        SetPropA(message->hwnd, kMarkerProperty, reinterpret_cast<HANDLE>(message->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
