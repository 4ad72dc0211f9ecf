#include "base/WideText.h"

#include <windows.h>

std::string NarrowText(const std::wstring& wide, UINT codePage)
{
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(codePage, 0, wide.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

std::wstring WidenText(const std::string& narrow, UINT codePage)
{
    const int length = static_cast<int>(narrow.size());
    const int size = MultiByteToWideChar(codePage, 0, narrow.c_str(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, narrow.c_str(), length, &wide[0], size);
    return wide;
}

bool ToHostCodePageExactly(const std::wstring& wide, std::string& narrow)
{
    const UINT codePage = GetACP();
    // UTF-8 writes every character; the flags and the default-character test are refused there.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultTest = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(codePage, flags, wide.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, wide.c_str(), length, &converted[0], size, nullptr,
                        usedDefaultTest);
    if (usedDefault || (size == 0 && length != 0))
        return false;
    if (WidenText(converted) != wide)
        return false;
    narrow = converted;
    return true;
}

bool EqualIgnoringCase(const std::wstring& first, const std::wstring& second)
{
    return CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}
