#include "framework/ToolTip.h"

#include <commctrl.h>

CToolTip::~CToolTip()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
}

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
    RECT workArea;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
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
    TTTOOLINFOA existing = tool; // asked for without a text buffer: none is copied out
    const bool known =
        SendMessageA(m_window, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&existing)) != FALSE;
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(m_window, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0,
                 reinterpret_cast<LPARAM>(&tool));
}
