#include "framework/Dialog.h"

#include "framework/AccessibleNames.h"
#include "framework/WinApp.h"
#include "framework/WorkArea.h"

#include <algorithm>
#include <exception>

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

namespace
{
HINSTANCE ResourceInstance()
{
    HINSTANCE instance = CWinApp::Get() != nullptr ? CWinApp::Get()->GetInstance() : nullptr;
    return instance != nullptr ? instance : GetModuleHandleA(nullptr);
}
} // namespace

INT_PTR CDialog::DoModal()
{
    return DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), m_parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create()
{
    return CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), m_parent,
                              DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::DestroyWindow()
{
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange{m_hWnd, saveAndValidate};
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::CenterWindow()
{
    // Within the work area of the monitor that shows the owner, or the dialog itself.
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    const RECT workArea = WorkAreaOf(owner != nullptr ? owner : m_hWnd);
    RECT area = workArea;
    if (owner != nullptr)
        GetWindowRect(owner, &area);

    RECT self;
    GetWindowRect(m_hWnd, &self);
    const LONG width = self.right - self.left;
    const LONG height = self.bottom - self.top;
    LONG left = (area.left + area.right - width) / 2;
    LONG top = (area.top + area.bottom - height) / 2;
    left = std::max(workArea.left, std::min(left, workArea.right - width));
    top = std::max(workArea.top, std::min(top, workArea.bottom - height));
    SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

const CDialog::CommandEntry* CDialog::FindEntry(UINT message, UINT id, UINT notification) const
{
    const CommandTable table = GetCommandTable();
    for (size_t i = 0; i < table.count; ++i)
    {
        const CommandEntry& entry = table.entries[i];
        if (entry.message != message)
            continue;
        if (message != WM_COMMAND || (entry.id == id && entry.notification == notification))
            return &entry;
    }
    return nullptr;
}

void CDialog::OnHandlerException(const std::exception& error)
{
    CWinApp::ReportFailure(error.what());
}

// The guard against a second command is released however the handler ends; the commands that
// arrived meanwhile are then posted again, in their order.
void CDialog::RunHandler(Handler handler, bool isCommand)
{
    struct Guard
    {
        CDialog& dialog;
        bool isCommand;
        ~Guard()
        {
            if (!isCommand)
                return;
            dialog.m_handling = false;
            for (const auto& command : dialog.m_deferred)
                PostMessageA(dialog.m_hWnd, WM_COMMAND, command.first, command.second);
            dialog.m_deferred.clear();
        }
    } guard{*this, isCommand};
    m_handling = m_handling || isCommand;
    (this->*handler)();
}

BOOL CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const UINT notification = HIWORD(wParam);
    // A command runs to its end before the next one starts. A modal loop that the command
    // opens (a message box) dispatches whatever is posted meanwhile: such a command waits,
    // and is given again once the running one has ended.
    if (message == WM_COMMAND && m_handling)
    {
        m_deferred.emplace_back(wParam, lParam);
        return TRUE;
    }
    if (const CommandEntry* entry = FindEntry(message, id, notification))
    {
        RunHandler(entry->handler, message == WM_COMMAND);
        // Destruction goes on with the system's own clean-up.
        return message == WM_DESTROY ? FALSE : TRUE;
    }
    if (message == WM_COMMAND && notification == BN_CLICKED)
    {
        if (id == IDOK)
        {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL)
        {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (message == WM_INITDIALOG)
    {
        dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
    }
    if (dialog == nullptr)
        return FALSE;

    // No exception may leave a window procedure: report it and carry on.
    try
    {
        switch (message)
        {
        case WM_INITDIALOG:
            return dialog->OnInitDialog();
        case WM_DESTROY:
            ForgetAnnotations(window);
            return dialog->Dispatch(message, wParam, lParam);
        case WM_COMMAND:
            return dialog->Dispatch(message, wParam, lParam);
        case WM_QUERYENDSESSION:
            SetWindowLongPtrA(window, DWLP_MSGRESULT, dialog->OnQueryEndSession() ? TRUE : FALSE);
            return TRUE;
        case WM_ENDSESSION:
            dialog->OnEndSession(wParam != FALSE);
            return TRUE;
        default:
            return FALSE;
        }
    }
    catch (const std::exception& error)
    {
        dialog->OnHandlerException(error);
        return TRUE;
    }
}
