#include "framework/ComboBox.h"

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

std::string CComboBox::GetLBText(int index) const
{
    const LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return copied == CB_ERR ? std::string() : std::string(buffer.data());
}
