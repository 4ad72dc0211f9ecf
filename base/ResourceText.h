#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// Texts of the program's string table, and their formatting.

// Text `id` of the string table, of any length; empty when there is none.
std::string LoadResourceText(UINT id);
std::wstring LoadResourceTextW(UINT id);

// Formats text `messageId` printf-style with the arguments that follow into `output`; returns
// the number of characters produced. Texts longer than 2047 characters are cut there.
int FormatResourceText(std::string& output, UINT messageId, ...);

// The same with the format given directly.
int FormatText(std::string& output, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Text `id` with each of its placeholders ("%s", "%u", "%c" and the like), in order, replaced
// by the next of `arguments`, inserted as it is; "%%" stands for one percent sign. Nothing is
// cut and no argument can be mistaken for another type.
std::wstring FormatMessageText(UINT id, std::initializer_list<std::wstring> arguments);
