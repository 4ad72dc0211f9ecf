#pragma once

#include <windows.h>

#include <string>

// Conversions between the host code page, in which the server's files hold their texts, and
// the platform's wide characters.

// `wide` in the host code page (or another), as the platform converts it (characters the code
// page lacks become their best fit or the default character).
std::string NarrowText(const std::wstring& wide, UINT codePage = CP_ACP);

// `narrow`, a text of the host code page (or another), in wide characters.
std::wstring WidenText(const std::string& narrow, UINT codePage = CP_ACP);

// True when both texts are the same but for letter case, as file and key names compare.
bool EqualIgnoringCase(const std::wstring& first, const std::wstring& second);

// `wide` in the host code page, when it converts exactly: no best-fit mapping, no default
// character, and the text comes back unchanged. False otherwise.
bool ToHostCodePageExactly(const std::wstring& wide, std::string& narrow);
