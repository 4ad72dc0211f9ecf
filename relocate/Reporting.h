#pragma once

#include "relocate/Reporter.h"

#include <initializer_list>
#include <string>

// The messages of the string table as the operations report them.

// Message `id` as the table holds it.
void ReportMessage(CReporter& reporter, UINT id, UINT iconKind);

// Message `id` with its placeholders filled, in order, by `arguments`.
void ReportFormatted(CReporter& reporter, UINT id, UINT iconKind,
                     std::initializer_list<std::wstring> arguments);

// A message whose arguments are a path and an error text, with the exclamation icon.
void ReportPathFailure(CReporter& reporter, UINT id, const std::wstring& path,
                       const std::wstring& errorText);

// The same with the text of an error number.
void ReportPathError(CReporter& reporter, UINT id, const std::wstring& path, int errorNumber);

// IDS_STORE_FAILED: a setting could not be stored in the profile `path`. The reason is the text of
// `platformError`, or, when it is 0, that another program changed the file at the same time.
void ReportStoreFailure(CReporter& reporter, const std::wstring& path, DWORD platformError);
