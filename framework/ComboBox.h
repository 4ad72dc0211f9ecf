#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A drop-down list control of a dialog, attached by data exchange.
class CComboBox
{
public:
    void Attach(HWND window) { m_window = window; }
    HWND GetSafeHwnd() const { return m_window; }

    // Appends (or, in a sorted list, inserts) an entry and returns its index.
    int AddString(const std::string& text);
    int SetCurSel(int index);
    // The selected index, or -1 (CB_ERR) when nothing is selected.
    int GetCurSel() const;
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    // The text of entry `index`; empty when there is no such entry.
    std::string GetLBText(int index) const;
    // Widens the drop-down list, never the box itself, so that the longest of `entries` (those
    // just added) shows whole, within the screen's width. They are measured as given: reading a
    // thousand entries back costs more than the whole rest of a dialog's start.
    void FitDroppedWidthTo(const std::vector<std::string>& entries);

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND m_window = nullptr;
};
