#include "cli/ConsoleOutput.h"

#include "base/WideText.h"

namespace
{
bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

// Lines end in CR LF in a file or pipe, as Windows programs write them.
void WriteBytes(HANDLE handle, const std::string& text)
{
    std::string bytes;
    for (char c : text)
        bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteTo(DWORD which, const std::wstring& text)
{
    HANDLE handle = GetStdHandle(which);
    if (IsConsole(handle))
    {
        DWORD written = 0;
        WriteConsoleW(handle, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    WriteBytes(handle, NarrowText(text, GetConsoleOutputCP() != 0 ? GetConsoleOutputCP() : CP_ACP));
}
} // namespace

void WriteOut(const std::wstring& text)
{
    WriteTo(STD_OUTPUT_HANDLE, text);
}

void WriteError(const std::wstring& text)
{
    WriteTo(STD_ERROR_HANDLE, text);
}

void WriteOutAscii(const std::string& text)
{
    WriteBytes(GetStdHandle(STD_OUTPUT_HANDLE), text);
}

bool ErrorIsConsole()
{
    return IsConsole(GetStdHandle(STD_ERROR_HANDLE));
}
