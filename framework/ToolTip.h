#pragma once

#include <windows.h>

#include <set>
#include <string>

// A tooltip control of a dialog that shows, over each control given to it, a text of its own:
// the whole of a text that the control shows shortened, say. The tooltip belongs to the
// dialog and goes with it.
class CToolTip
{
public:
    // Creates the tooltip for the controls of `dialog`; false when it could not be created.
    bool Create(HWND dialog);
    // Shows `text` over `control` from now on. A static control must have SS_NOTIFY, or the
    // mouse passes through it.
    void SetText(HWND control, const std::string& text);

private:
    HWND m_window = nullptr;
    HWND m_dialog = nullptr;
    std::set<HWND> m_controls;
};
