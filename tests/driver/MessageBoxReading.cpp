#include "tests/driver/MessageBoxReading.h"

namespace
{
std::string ClassOf(HWND window)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return className;
}

HWND FindIconStatic(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
            return child;
    }
    return nullptr;
}
// The control's own visibility: its box may not be shown yet when it is read.
bool HasVisibleStyle(HWND window)
{
    return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}
} // namespace

bool IsDialogWindow(HWND window)
{
    return ClassOf(window) == "#32770";
}

std::string WindowTextOf(HWND window)
{
    // A text that changes meanwhile (a progress count) can outgrow the length first asked:
    // read again with more room until the text leaves some over.
    auto room = static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 2;
    for (;; room *= 2)
    {
        std::wstring text(room, L'\0');
        const auto copied = static_cast<size_t>(
            SendMessageW(window, WM_GETTEXT, room, reinterpret_cast<LPARAM>(&text[0])));
        if (copied + 1 < room)
            return Narrow(text.substr(0, copied));
    }
}

int IconKindOf(HWND box)
{
    HWND iconStatic = FindIconStatic(box);
    if (iconStatic == nullptr || !HasVisibleStyle(iconStatic))
        return 0;
    auto icon = reinterpret_cast<HICON>(SendMessageW(iconStatic, STM_GETICON, 0, 0));
    const std::pair<LPCWSTR, int> kinds[] = {
        {MAKEINTRESOURCEW(32513), MB_ICONSTOP},        // IDI_HAND
        {MAKEINTRESOURCEW(32515), MB_ICONEXCLAMATION}, // IDI_EXCLAMATION
        {MAKEINTRESOURCEW(32516), MB_ICONINFORMATION}, // IDI_ASTERISK
        {MAKEINTRESOURCEW(32514), MB_ICONQUESTION},    // IDI_QUESTION
    };
    for (const auto& kind : kinds)
        if (icon != nullptr && icon == LoadIconW(nullptr, kind.first))
            return kind.second;
    return 0;
}

MessageBoxInfo ReadMessageBoxWindow(HWND box)
{
    MessageBoxInfo info;
    info.caption = WindowTextOf(box);
    info.text = WindowTextOf(GetDlgItem(box, 0xFFFF));
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (lstrcmpiA(ClassOf(child).c_str(), "Button") == 0 && HasVisibleStyle(child))
            info.buttons.push_back(WindowTextOf(child));
    return info;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size,
                        nullptr, nullptr);
    return result;
}

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size);
    return result;
}
