#pragma once

#include <windows.h>

#include <string>

// Text for the console or whatever standard output and standard error are redirected to: a
// console gets the wide text itself; a file or pipe the console's output code page (the host
// code page without a console), which is what a script reading it expects.

void WriteOut(const std::wstring& text);
void WriteError(const std::wstring& text);
// ASCII as it is (the JSON output).
void WriteOutAscii(const std::string& text);

// True when standard error is a console, where a progress line can be rewritten in place.
bool ErrorIsConsole();
