#pragma once

#include <windows.h>

#include <string>

// A tooltip control of a dialog that shows, over each control given to it, a text of its own:
// the whole of a text that the control shows shortened, say.
class CToolTip
{
public:
    CToolTip() = default;
    ~CToolTip();
    CToolTip(const CToolTip&) = delete;
    CToolTip& operator=(const CToolTip&) = delete;

    // Creates the tooltip for the controls of `dialog`; false when it could not be created.
    bool Create(HWND dialog);
    // Shows `text` over `control` from now on. A static control must have SS_NOTIFY, or the
    // mouse passes through it.
    void SetText(HWND control, const std::string& text);
    HWND GetSafeHwnd() const { return m_window; }

private:
    HWND m_window = nullptr;
    HWND m_dialog = nullptr;
};
