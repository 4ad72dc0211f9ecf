#pragma once

#include <windows.h>

#include <string>

// Every refusal and failure of the tool is reported here: a modal box with one OK button, the
// application's title as caption, a message text and an icon kind (MB_ICONSTOP,
// MB_ICONEXCLAMATION or MB_ICONINFORMATION), owned by the tool's active top-level window.

// Shows message text `messageId` of the string table. While the box is up the application's
// prompt help context is 0x30000 plus the message number.
int ShowMessage(UINT messageId, UINT iconKind);

// Shows a ready text; the wide form shows names that the host code page lacks as they are.
int ShowMessage(const std::string& text, UINT iconKind);
int ShowMessage(const std::wstring& text, UINT iconKind);
