#pragma once

#include "framework/DataExchange.h"
#include "framework/Object.h"

#include <windows.h>

#include <cstddef>
#include <exception>
#include <vector>

// A modal dialog built from a dialog template of the program's resources.
//
// A derived dialog lists its handlers in a command table: each entry binds a window message
// (WM_COMMAND with a control or command id and a notification code, or WM_DESTROY) to a member
// function. Entries are looked up in table order and the first match runs. Button 1 (OK, Enter)
// and button 2 (Cancel, Escape, the system menu's Close) fall back to OnOK and OnCancel.
class CDialog : public CObject
{
public:
    using Handler = void (CDialog::*)();

    struct CommandEntry
    {
        UINT message;      // WM_COMMAND or WM_DESTROY
        UINT id;           // control or command id (WM_COMMAND only)
        UINT notification; // notification code (WM_COMMAND only)
        Handler handler;
    };

    struct CommandTable
    {
        const CommandEntry* entries;
        size_t count;
    };

    // Turns a derived class's handler into a table entry's handler.
    template <class Derived> static Handler Bind(void (Derived::*handler)())
    {
        return static_cast<Handler>(handler);
    }

    CDialog(UINT templateId, HWND parent);

    // Runs the dialog until EndDialog; returns the value passed to EndDialog, or -1 when the
    // dialog could not be created.
    INT_PTR DoModal();

    // Creates the dialog without running it (modeless); false when it could not be created.
    // Its messages reach it through whatever message loop the thread runs.
    bool Create();
    // Destroys a dialog made by Create.
    void DestroyWindow();

    // FALSE: members to controls; TRUE: controls to members.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

    // Centres the dialog over its owner, or over the work area when it has none, keeping it
    // within the work area of the owner's monitor.
    void CenterWindow();

protected:
    // Called once the controls exist; binds and fills them. Return TRUE to give the focus to
    // the first control in tab order.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* exchange);
    virtual void OnOK();
    virtual void OnCancel();
    virtual CommandTable GetCommandTable() const { return {nullptr, 0}; }
    // Whether the session may end now (WM_QUERYENDSESSION); it may, unless a dialog says not.
    virtual bool OnQueryEndSession() { return true; }
    // The session ends (WM_ENDSESSION with `ending`); the process ends soon after this returns.
    virtual void OnEndSession(bool /*ending*/) {}
    // An exception left a handler; it is reported in a plain stop box unless a dialog says
    // otherwise. The dialog goes on working.
    virtual void OnHandlerException(const std::exception& error);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    const CommandEntry* FindEntry(UINT message, UINT id, UINT notification) const;
    void RunHandler(Handler handler, bool isCommand);

    UINT m_templateId;
    HWND m_parent;
    HWND m_hWnd = nullptr;
    // A command-table handler of WM_COMMAND is running.
    bool m_handling = false;
    // Commands that arrived meanwhile, each given again once it has ended.
    std::vector<std::pair<WPARAM, LPARAM>> m_deferred;
};

// Sizes a command table from its initialiser.
template <size_t N>
CDialog::CommandTable MakeCommandTable(const CDialog::CommandEntry (&entries)[N])
{
    return {entries, N};
}
