#pragma once

#include "framework/Dialog.h"

#include <windows.h>

#include <map>
#include <string>

// Keeps the user-interface thread responsive through a long command that runs on that same
// thread, and shows the command's progress once it has run for about half a second: a window
// owned by the main dialog, with the step, files and bytes done of all, a progress bar and a
// Cancel button (Escape and the close box too).
//
// The command calls Pump often, at least once per block it copies. Pump handles what must not
// wait: messages sent from other threads and processes, painting, and the progress window's
// own input. Input and commands for the main dialog, and anything posted to it, stay queued
// until the command ends, so no second command can start meanwhile; while the window is shown
// the main dialog is disabled, as under any modal window. Failures still show their message
// boxes at once, owned by the progress window.
class CProgressWindow : public CDialog
{
public:
    // A window owned by `owner`, which it disables while it shows.
    explicit CProgressWindow(HWND owner);
    ~CProgressWindow() override;

    // Names the step and what it counts (a count of 0 is not shown); the counts done restart.
    void BeginStep(const std::wstring& text, ULONGLONG totalFiles, ULONGLONG totalBytes);
    void SetTotals(ULONGLONG totalFiles, ULONGLONG totalBytes);
    void SetDone(ULONGLONG filesDone, ULONGLONG bytesDone);

    // Cheap when called again within a few milliseconds.
    void Pump();

    // True once the user has asked to cancel; the command stops after its current block.
    bool IsCancelled() const { return m_cancelled; }
    // Whether Cancel is offered (it is, at first): a step that must not stop half-way, such as
    // removing what a failed command copied, takes it away.
    void AllowCancel(bool allowed);

    // Hides the window for good and gives the main dialog back its input.
    void Close();

protected:
    BOOL OnInitDialog() override;
    // Enter presses Cancel, the default button; nothing else ends this window.
    void OnOK() override {}
    void OnCancel() override;

private:
    void Show();
    void ShowCounts();
    void ShowText(int controlId, const std::wstring& text);
    void ShowCancelState();
    void HandleWaitingMessages();

    ULONGLONG m_start;
    ULONGLONG m_nextPump = 0;
    ULONGLONG m_nextShow = 0;
    bool m_closed = false;
    bool m_showFailed = false;
    bool m_cancelled = false;
    bool m_cancelAllowed = true;
    HWND m_owner = nullptr;
    std::wstring m_step;
    ULONGLONG m_totalFiles = 0;
    ULONGLONG m_totalBytes = 0;
    ULONGLONG m_filesDone = 0;
    ULONGLONG m_bytesDone = 0;
    bool m_changed = false;
    std::map<int, std::wstring> m_shownTexts; // as the window shows them, by control
    int m_shownPosition = 0;
};
