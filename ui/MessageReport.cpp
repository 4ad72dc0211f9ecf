#include "ui/MessageReport.h"

#include "framework/WinApp.h"
#include "res/resource.h"
#include "ui/ErrorTexts.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace
{
const DWORD kPromptContextBase = 0x30000;
// Room for the longest message: two paths of 260 characters and an error text.
const size_t kFormatBufferSize = 2048;

int ShowBox(const char* text, UINT iconKind)
{
    const CWinApp* app = CWinApp::Get();
    return MessageBoxA(app->GetPromptOwner(), text, app->GetTitle(), MB_OK | iconKind);
}

// vsnprintf never writes past the buffer: a longer text is cut at 2047 characters.
int FormatInto(std::string& output, const char* format, va_list arguments)
{
    char buffer[kFormatBufferSize];
    const int needed = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    if (needed < 0)
        buffer[0] = '\0';
    output = buffer;
    return static_cast<int>(output.size());
}
} // namespace

std::string LoadResourceText(UINT id)
{
    HINSTANCE instance = CWinApp::Get() != nullptr ? CWinApp::Get()->GetInstance() : nullptr;
    for (size_t size = 256;; size *= 2)
    {
        std::vector<char> buffer(size, '\0');
        const int length = LoadStringA(instance, id, buffer.data(), static_cast<int>(size));
        if (length < static_cast<int>(size) - 1)
            return std::string(buffer.data(), static_cast<size_t>(length));
    }
}

int ShowMessage(UINT messageId, UINT iconKind)
{
    CWinApp* app = CWinApp::Get();
    const DWORD previousContext = app->m_promptContext;
    app->m_promptContext = kPromptContextBase + messageId;
    const int result = ShowBox(LoadResourceText(messageId).c_str(), iconKind);
    app->m_promptContext = previousContext;
    return result;
}

int ShowMessage(const std::string& text, UINT iconKind)
{
    return ShowBox(text.c_str(), iconKind);
}

void ReportPathFailure(UINT messageId, const std::string& path, const std::string& errorText)
{
    std::string message;
    FormatResourceText(message, messageId, path.c_str(), errorText.c_str());
    ShowMessage(message, MB_ICONEXCLAMATION);
}

void ReportStoreFailure(const std::string& path, DWORD platformError)
{
    const std::string reason = platformError != 0 ? PlatformErrorText(platformError)
                                                  : LoadResourceText(IDS_CHANGED_MEANWHILE);
    ReportPathFailure(IDS_STORE_FAILED, path, reason);
}

int FormatResourceText(std::string& output, UINT messageId, ...)
{
    const std::string format = LoadResourceText(messageId);
    va_list arguments;
    va_start(arguments, messageId);
    const int count = FormatInto(output, format.c_str(), arguments);
    va_end(arguments);
    return count;
}

int FormatText(std::string& output, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int count = FormatInto(output, format, arguments);
    va_end(arguments);
    return count;
}
