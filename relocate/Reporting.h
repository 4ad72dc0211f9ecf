#pragma once

#include "config/ProfileStore.h"
#include "relocate/Reporter.h"

#include <initializer_list>
#include <string>
#include <vector>

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

// IDS_STORE_FAILED: a setting could not be stored in the profile `path`. The reason is the text
// of the platform's error, that a name is not exact in the code page, or, for no error, that
// another program changed the file at the same time; entries of the file that the store cut
// short and that could not be written back follow.
void ReportStoreFailure(CReporter& reporter, const std::wstring& path, const StoreResult& result);

// IDS_COPIES_LEFT: copies that could not be removed, the first few of them by name.
void ReportCopiesLeft(CReporter& reporter, const std::vector<std::wstring>& left);

// IDS_JOURNAL_FAILED: the journal `journalPath` of a move cannot be kept, for `platformError`.
void ReportJournalFailure(CReporter& reporter, const std::wstring& journalPath,
                          DWORD platformError);
