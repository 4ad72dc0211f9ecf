#include "ui/MessageReport.h"

#include "framework/ResourceText.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"

namespace
{
const DWORD kPromptContextBase = 0x30000;

int ShowBox(const std::wstring& text, UINT iconKind)
{
    const CWinApp* app = CWinApp::Get();
    return MessageBoxW(app->GetPromptOwner(), text.c_str(), WidenText(app->GetTitle()).c_str(),
                       MB_OK | iconKind);
}
} // namespace

int ShowMessage(UINT messageId, UINT iconKind)
{
    CWinApp* app = CWinApp::Get();
    const DWORD previousContext = app->m_promptContext;
    app->m_promptContext = kPromptContextBase + messageId;
    const int result = ShowBox(LoadResourceTextW(messageId), iconKind);
    app->m_promptContext = previousContext;
    return result;
}

int ShowMessage(const std::string& text, UINT iconKind)
{
    return ShowBox(WidenText(text), iconKind);
}

int ShowMessage(const std::wstring& text, UINT iconKind)
{
    return ShowBox(text, iconKind);
}
