#include "tests/unit/MessageBoxCatcher.h"

#include "framework/WinApp.h"

#include <sstream>

CMessageBoxCatcher* CMessageBoxCatcher::s_active = nullptr;

namespace
{
const char kCaughtProperty[] = "KelTestCaught";
}

CMessageBoxCatcher::CMessageBoxCatcher()
{
    s_active = this;
    m_hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

CMessageBoxCatcher::~CMessageBoxCatcher()
{
    UnhookWindowsHookEx(m_hook);
    s_active = nullptr;
}

namespace
{
// The colours the box's own painting asks for, as its dialog procedure answers them.
void ReadColours(HWND box, CaughtBox& caught)
{
    HDC dc = GetDC(box);
    auto brush =
        reinterpret_cast<HBRUSH>(SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                              reinterpret_cast<LPARAM>(GetDlgItem(box, 0xFFFF))));
    LOGBRUSH logBrush = {};
    if (brush != nullptr && GetObjectA(brush, sizeof logBrush, &logBrush) == sizeof logBrush)
        caught.background = logBrush.lbColor;
    caught.textColour = GetTextColor(dc);
    ReleaseDC(box, dc);
}
} // namespace

LRESULT CALLBACK CMessageBoxCatcher::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    // A box is read once, when it is first activated; it may be activated again.
    if (code == HCBT_ACTIVATE && s_active != nullptr && IsDialogWindow(window) &&
        GetDlgItem(window, 0xFFFF) != nullptr && !GetPropA(window, kCaughtProperty))
    {
        SetPropA(window, kCaughtProperty, reinterpret_cast<HANDLE>(1));
        CaughtBox caught;
        static_cast<MessageBoxInfo&>(caught) = ReadMessageBoxWindow(window);
        caught.iconKind = IconKindOf(window);
        caught.promptContext = CWinApp::Get()->m_promptContext;
        caught.owner = GetWindow(window, GW_OWNER);
        ReadColours(window, caught);
        s_active->m_boxes.push_back(caught);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
