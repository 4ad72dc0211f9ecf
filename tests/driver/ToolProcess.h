#pragma once

#include "tests/driver/ChildProcess.h"
#include "tests/driver/MessageBoxReading.h"

#include <windows.h>

#include <string>
#include <vector>

// Drives a started kel-admin.exe from outside, through window messages, as a user would.
// Every action that posts to the tool waits until the tool's thread has handled it (or has
// opened a modal window because of it) before it returns.
class CToolProcess
{
public:
    CToolProcess() = default;
    ~CToolProcess();
    CToolProcess(const CToolProcess&) = delete;
    CToolProcess& operator=(const CToolProcess&) = delete;

    // Starts the program and waits until its main dialog, captioned `caption`, is up; message
    // boxes shown before it are read and closed with OK.
    bool Start(const std::string& exePath, const std::string& caption = "KEL Administrator");
    const std::vector<MessageBoxInfo>& StartupBoxes() const { return m_startupBoxes; }

    HWND Dialog() const { return m_dialog; }
    HWND Control(int id) const { return GetDlgItem(m_dialog, id); }

    // Controls of the main dialog.
    std::string ControlText(int id) const;
    bool IsEnabled(int id) const;
    int ComboCount(int id) const;
    int ComboSelection(int id) const;
    std::string ComboText(int id, int index) const;
    LRESULT ComboItemData(int id, int index) const;
    // The text of the main dialog's tooltip over control `id`; empty when there is none.
    std::string ToolTipText(int id);

    // User actions on the main dialog.
    void Click(int id);
    void OpenAndCloseDropDown(int id);
    void PressKey(HWND target, WPARAM virtualKey);
    void PostCommand(WPARAM command);
    void PostToDialog(UINT message, WPARAM wParam, LPARAM lParam);

    // Waits until the tool's thread has handled everything posted to it so far; a long
    // command may be given more than the usual ten seconds.
    void Sync(DWORD timeoutMs = kDefaultWaitMs);
    // Clicks and waits until the click has been handled, however long that takes.
    void ClickAndWait(int id, DWORD timeoutMs);

    static constexpr DWORD kDefaultWaitMs = 10000;

    // Top-level dialog windows of the tool other than the main dialog, newest first.
    std::vector<HWND> OtherDialogs() const;
    HWND FindWindowByCaption(const std::string& caption) const;

    // The message box now shown, or null.
    HWND FindMessageBox() const;
    // The progress window of a long command, or null.
    HWND FindProgressWindow() const;
    MessageBoxInfo ReadMessageBox(HWND box) const;
    // Reads the message box now shown and closes it with OK; empty caption when there is none.
    MessageBoxInfo TakeMessageBox();
    // Every message box shown in a row, each closed with OK, until none is left.
    std::vector<MessageBoxInfo> TakeAllMessageBoxes();

    // The shell's folder chooser now shown, or null.
    HWND FindFolderChooser() const;
    // Selects `folder` in the open chooser and confirms it; cancels it when the folder could
    // not be selected.
    bool ChooseFolder(const std::wstring& folder);
    // Clicks `browseButton` and chooses `folder` in the chooser it opens. Wine's chooser now and
    // then fails to find a folder in its tree; it is then cancelled and opened again. The wide
    // form selects with BFFM_SETSELECTIONW, for names outside the host code page.
    bool BrowseTo(int browseButton, const std::string& folder);
    bool BrowseTo(int browseButton, const std::wstring& folder);
    void CancelFolderChooser();

    bool WaitForExit(DWORD milliseconds, DWORD* exitCode = nullptr);
    DWORD ProcessId() const { return m_process.Id(); }
    HANDLE ProcessHandle() const { return m_process.Handle(); }
    void Kill();

private:
    void SyncWindow(HWND window, DWORD timeoutMs = kDefaultWaitMs);
    void InstallHooks();
    bool SelectInChooser(HWND chooser, const std::wstring& folder);
    std::wstring SelectedTreeItemText(HWND tree);
    void* WriteRemote(const void* data, size_t size);
    bool ReadRemote(const void* address, void* data, size_t size) const;
    std::vector<HWND> TopLevelDialogs() const;

    CChildProcess m_process;
    HWND m_dialog = nullptr;
    HMODULE m_hookDll = nullptr;
    HHOOK m_cbtHook = nullptr;
    HHOOK m_messageHook = nullptr;
    UINT m_markerMessage = 0;
    UINT_PTR m_markerSequence = 0;
    std::vector<void*> m_remoteBlocks;
    std::vector<MessageBoxInfo> m_startupBoxes;
};

// Every top-level window of process `processId`.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);

// Waits, polling, until `condition` holds or the time is up; returns whether it held.
template <class Condition> bool WaitUntil(Condition condition, DWORD milliseconds = 10000)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition())
    {
        if (GetTickCount64() > end)
            return false;
        Sleep(5);
    }
    return true;
}
