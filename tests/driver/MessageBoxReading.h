#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a message box showed.
struct MessageBoxInfo
{
    std::string caption;
    std::string text;
    int iconKind = 0; // 16 stop, 48 exclamation, 64 information, 32 question, 0 none
    std::vector<std::string> buttons;
};

// The icon kind of a message box, read from its icon control. Works only inside the process
// that shows the box, where the system icons it uses are the same handles as ours.
int IconKindOf(HWND box);

// Reads a message box of this or another process (all but the icon kind).
MessageBoxInfo ReadMessageBoxWindow(HWND box);

bool IsDialogWindow(HWND window);
std::string WindowTextOf(HWND window);

// Converts between the UTF-16 that windows of other processes give and the host code page.
std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);
