#include "framework/WideText.h"

#include <windows.h>

std::string NarrowText(const std::wstring& wide)
{
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}
