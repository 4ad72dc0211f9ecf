#include "framework/DataExchange.h"

#include <vector>

void DDX_Control(CDataExchange* exchange, int id, CComboBox& combo)
{
    if (combo.GetSafeHwnd() == nullptr)
        combo.Attach(GetDlgItem(exchange->m_dialog, id));
}

void DDX_Text(CDataExchange* exchange, int id, std::string& value)
{
    HWND control = GetDlgItem(exchange->m_dialog, id);
    if (!exchange->m_saveAndValidate)
    {
        SetWindowTextA(control, value.c_str());
        return;
    }
    const int length = GetWindowTextLengthA(control);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(control, buffer.data(), length + 1);
    value = buffer.data();
}
