#pragma once

#include "framework/Object.h"

#include <windows.h>

#include <string>

// Lets the administrator pick a directory with the shell's browse-for-folder dialog, opened
// with the directory currently set already selected. It only returns a path; checking,
// showing and storing it are the caller's business.
class CFolderBrowser : public CObject
{
public:
    // A chooser modal to `owner`.
    explicit CFolderBrowser(HWND owner) : m_owner(owner) {}

    // The folder selected when the dialog opens; empty for none.
    void SetFolder(std::string folder) { m_folder = std::move(folder); }

    // Runs the dialog, modal to its owner. Returns 1 when a folder was chosen, 0 when the
    // user cancelled or the shell's allocator could not be had.
    int Browse();

    // The chosen folder's full path, after Browse returned 1, as the shell gives it, in wide
    // characters (the host code page may lack some of its characters).
    std::wstring GetWideFolder() const { return m_wideFolder; }

private:
    static int CALLBACK OnBrowseEvent(HWND dialog, UINT event, LPARAM value, LPARAM initialFolder);

    HWND m_owner;
    std::string m_folder;
    std::wstring m_wideFolder;
};
