#include "framework/ToolTip.h"

#include "framework/WorkArea.h"

#include <commctrl.h>

bool CToolTip::Create(HWND dialog)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    m_dialog = dialog;
    m_window = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog,
                               nullptr, nullptr, nullptr);
    if (m_window == nullptr)
        return false;
    // A long text wraps within the screen instead of running off it.
    const RECT workArea = WorkAreaOf(dialog);
    SendMessageA(m_window, TTM_SETMAXTIPWIDTH, 0, workArea.right - workArea.left);
    return true;
}

void CToolTip::SetText(HWND control, const std::string& text)
{
    if (m_window == nullptr)
        return;
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text.c_str());
    const bool known = !m_controls.insert(control).second;
    SendMessageA(m_window, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0,
                 reinterpret_cast<LPARAM>(&tool));
}
