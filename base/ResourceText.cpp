#include "base/ResourceText.h"

#include <cstdarg>
#include <cstdio>
#include <cwctype>
#include <vector>

namespace
{
// Room for the longest printf-style text: two paths of 260 characters and an error text.
const size_t kFormatBufferSize = 2048;

// Every program of the tool carries its texts in its own executable.
HINSTANCE ResourceInstance()
{
    return GetModuleHandleW(nullptr);
}

// Loads with a buffer that grows until the text fits.
template <class Char, class Load> std::basic_string<Char> LoadGrowing(Load load)
{
    for (size_t size = 256;; size *= 2)
    {
        std::vector<Char> buffer(size, Char());
        const int length = load(buffer.data(), static_cast<int>(size));
        if (length < static_cast<int>(size) - 1)
            return std::basic_string<Char>(buffer.data(), static_cast<size_t>(length));
    }
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

// The length of the placeholder at `format[at]` (a '%'): flags, width, precision and size
// letters, then its conversion letter.
size_t PlaceholderLength(const std::wstring& format, size_t at)
{
    size_t end = at + 1;
    while (end < format.size() && !std::iswalpha(format[end]))
        ++end;
    while (end < format.size() && (format[end] == L'l' || format[end] == L'h'))
        ++end;
    return end < format.size() ? end + 1 - at : format.size() - at;
}
} // namespace

std::string LoadResourceText(UINT id)
{
    return LoadGrowing<char>([id](char* buffer, int size)
                             { return LoadStringA(ResourceInstance(), id, buffer, size); });
}

std::wstring LoadResourceTextW(UINT id)
{
    return LoadGrowing<wchar_t>([id](wchar_t* buffer, int size)
                                { return LoadStringW(ResourceInstance(), id, buffer, size); });
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

std::wstring FormatMessageText(UINT id, std::initializer_list<std::wstring> arguments)
{
    const std::wstring format = LoadResourceTextW(id);
    std::wstring text;
    auto next = arguments.begin();
    for (size_t at = 0; at < format.size();)
    {
        if (format[at] != L'%')
        {
            text += format[at++];
            continue;
        }
        if (at + 1 < format.size() && format[at + 1] == L'%')
        {
            text += L'%';
            at += 2;
            continue;
        }
        if (next != arguments.end())
            text += *next++;
        at += PlaceholderLength(format, at);
    }
    return text;
}
