#pragma once

#include <windows.h>

#include <string>

// Every refusal and failure of the tool is shown here: a modal box owned by `owner`, with one OK
// button, the application's title as caption, a message text and an icon kind (MB_ICONSTOP,
// MB_ICONEXCLAMATION or MB_ICONINFORMATION).

// Shows message text `messageId` of the string table. While the box is up the application's
// prompt help context is 0x30000 plus the message number.
int ShowMessage(HWND owner, UINT messageId, UINT iconKind);

// Shows a ready text, names that the host code page lacks as they are.
int ShowMessage(HWND owner, const std::wstring& text, UINT iconKind);
