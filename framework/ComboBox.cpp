#include "framework/ComboBox.h"

#include "base/WideText.h"
#include "framework/WorkArea.h"

#include <vector>

LRESULT CComboBox::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return SendMessageA(m_window, message, wParam, lParam);
}

int CComboBox::AddString(const std::string& text)
{
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int CComboBox::SetCurSel(int index)
{
    return static_cast<int>(Send(CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int CComboBox::GetCurSel() const
{
    return static_cast<int>(Send(CB_GETCURSEL, 0, 0));
}

int CComboBox::SetItemData(int index, DWORD_PTR data)
{
    return static_cast<int>(
        Send(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
}

DWORD_PTR CComboBox::GetItemData(int index) const
{
    return static_cast<DWORD_PTR>(Send(CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

// Read through the wide-character form: the platform's conversion of the narrow form copies
// the text through a fixed buffer of 512 characters on some systems (Wine), which a long entry
// would overflow.
std::string CComboBox::GetLBText(int index) const
{
    const LRESULT length = SendMessageW(m_window, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return std::string();
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(m_window, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(wide.data()));
    if (copied == CB_ERR || copied == 0)
        return std::string();
    return NarrowText(std::wstring(wide.data(), static_cast<size_t>(copied)));
}

void CComboBox::FitDroppedWidthTo(const std::vector<std::string>& entries)
{
    HDC dc = GetDC(m_window);
    HGDIOBJ previousFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(m_window, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::string& text : entries)
    {
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        widest = extent.cx > widest ? extent.cx : widest;
    }
    SelectObject(dc, previousFont);
    ReleaseDC(m_window, dc);

    // The list's frame, its scroll bar and a little room either side of the text.
    const int chrome = 2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL) +
                       2 * GetSystemMetrics(SM_CXFIXEDFRAME) + 8;
    RECT box;
    GetWindowRect(m_window, &box);
    const RECT workArea = WorkAreaOf(m_window);
    int width = widest + chrome;
    width = width < box.right - box.left ? box.right - box.left : width;
    width = width > workArea.right - workArea.left ? workArea.right - workArea.left : width;
    Send(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}
