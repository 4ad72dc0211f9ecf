#include "ui/MessageReport.h"

#include "base/ResourceText.h"
#include "base/WideText.h"
#include "framework/WinApp.h"

namespace
{
const DWORD kPromptContextBase = 0x30000;
} // namespace

int ShowMessage(HWND owner, UINT messageId, UINT iconKind)
{
    CWinApp* app = CWinApp::Get();
    const DWORD previousContext = app->m_promptContext;
    app->m_promptContext = kPromptContextBase + messageId;
    const int result = ShowMessage(owner, LoadResourceTextW(messageId), iconKind);
    app->m_promptContext = previousContext;
    return result;
}

int ShowMessage(HWND owner, const std::wstring& text, UINT iconKind)
{
    return MessageBoxW(owner, text.c_str(), WidenText(CWinApp::Get()->GetTitle()).c_str(),
                       MB_OK | iconKind);
}
