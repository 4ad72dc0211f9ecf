#include "tests/unit/MessageBoxCatcher.h"

#include "framework/DialogColours.h"
#include "framework/WinApp.h"

#include <map>
#include <sstream>
#include <tuple>

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
const int kSchemeElements[] = {COLOR_BTNFACE, COLOR_WINDOWTEXT};

std::map<std::pair<HWND, AccessibleText>, std::string> g_annotations;
} // namespace

bool RecordAnnotation(HWND control, AccessibleText what, const wchar_t* text)
{
    g_annotations[{control, what}] = text != nullptr ? Narrow(text) : "";
    return true;
}

Colours AnsweredColours(HWND window, UINT ctlColour, HWND control)
{
    HDC dc = GetDC(window);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
        window, ctlColour, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    LOGBRUSH logBrush = {0, CLR_INVALID, 0};
    GetObjectA(brush, sizeof logBrush, &logBrush);
    const Colours answered{logBrush.lbColor, GetTextColor(dc)};
    ReleaseDC(window, dc);
    return answered;
}

CHighContrast::CHighContrast() : m_saved{GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWTEXT)}
{
    const COLORREF scheme[] = {kContrast.first, kContrast.second};
    SetSysColors(2, kSchemeElements, scheme);
    SetHighContrastQuery([] { return true; });
}

CHighContrast::~CHighContrast()
{
    SetHighContrastQuery(nullptr);
    SetSysColors(2, kSchemeElements, m_saved);
}

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
        std::tie(caught.background, caught.textColour) =
            AnsweredColours(window, WM_CTLCOLORSTATIC, GetDlgItem(window, 0xFFFF));
        s_active->m_boxes.push_back(caught);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string Annotation(HWND control, AccessibleText what)
{
    return g_annotations[{control, what}];
}
