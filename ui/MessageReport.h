#pragma once

#include <windows.h>

#include <string>

// Every refusal and failure of the tool is reported here: a modal box with one OK button, the
// application's title as caption, a message text and an icon kind (MB_ICONSTOP,
// MB_ICONEXCLAMATION or MB_ICONINFORMATION), owned by the tool's active top-level window.

// Shows message text `messageId` of the string table. While the box is up the application's
// prompt help context is 0x30000 plus the message number.
int ShowMessage(UINT messageId, UINT iconKind);

// Shows a ready text.
int ShowMessage(const std::string& text, UINT iconKind);

// Formats message `messageId`, whose arguments are a path and an error text, and shows it with
// the exclamation icon.
void ReportPathFailure(UINT messageId, const std::string& path, const std::string& errorText);

// Message 18: a setting could not be stored in the profile `path`. The reason is the text of
// `platformError`, or, when it is 0, that another program changed the file at the same time.
void ReportStoreFailure(const std::string& path, DWORD platformError);

// Formats message text `messageId` printf-style with the arguments that follow into `output`;
// returns the number of characters produced. Texts longer than 2047 characters are cut there.
int FormatResourceText(std::string& output, UINT messageId, ...);

// The same with the format given directly.
int FormatText(std::string& output, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Message text `id` of the string table, of any length; empty when there is none.
std::string LoadResourceText(UINT id);
