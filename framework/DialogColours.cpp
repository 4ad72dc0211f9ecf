#include "framework/DialogColours.h"

namespace
{
// The class atom of every dialog box window.
const ATOM kDialogClassAtom = 32770;
const char kOriginalProcProperty[] = "CDialogColours.OriginalProc";

HHOOK g_hook = nullptr;
HBRUSH g_backgroundBrush = nullptr;
COLORREF g_background = RGB(255, 255, 255);
COLORREF g_text = RGB(0, 0, 0);

bool AskPlatformForHighContrast()
{
    HIGHCONTRASTW settings = {sizeof settings, 0, nullptr};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof settings, &settings, 0) &&
           (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool (*g_highContrastQuery)() = AskPlatformForHighContrast;

bool IsColouredCtlMessage(UINT message)
{
    return message == WM_CTLCOLORDLG || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN ||
           message == WM_CTLCOLORMSGBOX;
}

// Keeps the window's character set: the A and W forms would convert a Unicode box to ANSI.
LONG_PTR SetWindowProc(HWND window, WNDPROC proc)
{
    const auto value = reinterpret_cast<LONG_PTR>(proc);
    return IsWindowUnicode(window) ? SetWindowLongPtrW(window, GWLP_WNDPROC, value)
                                   : SetWindowLongPtrA(window, GWLP_WNDPROC, value);
}

// The system sends both changes to top-level windows only. Common controls keep copies of the
// system's colours and learn of new ones only when their parent passes the change on; what is
// already painted in the previous colours is painted again.
void FollowColourChange(HWND window, UINT message)
{
    if (message == WM_SYSCOLORCHANGE)
    {
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    }
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

LRESULT CALLBACK ColouredDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto original = reinterpret_cast<WNDPROC>(GetPropA(window, kOriginalProcProperty));
    const bool unicode = IsWindowUnicode(window) != FALSE;
    // Asked at every paint, so that a dialog painted after a switch of the mode follows it.
    if (IsColouredCtlMessage(message) && g_backgroundBrush != nullptr && !IsHighContrastOn())
    {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, g_text);
        SetBkColor(dc, g_background);
        return reinterpret_cast<LRESULT>(g_backgroundBrush);
    }
    if (message == WM_SYSCOLORCHANGE ||
        (message == WM_SETTINGCHANGE && wParam == SPI_SETHIGHCONTRAST))
        FollowColourChange(window, message);
    if (message == WM_NCDESTROY)
    {
        SetWindowProc(window, original);
        RemovePropA(window, kOriginalProcProperty);
    }
    return unicode ? CallWindowProcW(original, window, message, wParam, lParam)
                   : CallWindowProcA(original, window, message, wParam, lParam);
}

bool IsDialogWindow(HWND window)
{
    return GetClassLongPtrA(window, GCW_ATOM) == kDialogClassAtom;
}

// Subclasses each dialog as it is created, before it receives its first message.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(window) && GetPropA(window, kOriginalProcProperty) == nullptr)
        {
            LONG_PTR original = SetWindowProc(window, ColouredDialogProc);
            SetPropA(window, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

} // namespace

void InstallDialogColours(COLORREF background, COLORREF text)
{
    HBRUSH brush = CreateSolidBrush(background);
    if (g_backgroundBrush != nullptr)
        DeleteObject(g_backgroundBrush);
    g_backgroundBrush = brush;
    g_background = background;
    g_text = text;
    if (g_hook == nullptr)
        g_hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

bool IsHighContrastOn()
{
    return g_highContrastQuery();
}

void SetHighContrastQuery(bool (*query)())
{
    g_highContrastQuery = query != nullptr ? query : AskPlatformForHighContrast;
}
