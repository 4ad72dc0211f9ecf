#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The trail of what the tool changes, in the Application event log under the source
// "KEL Administrator" (the installers register it): one record per stored change, per failed
// or cancelled move, per rollback that could not finish, and per cleanup after an interrupted
// move. Each record carries the session id of the administrator's session as its data.
// Writing the trail never fails a command: a record the log refuses is dropped.

inline constexpr wchar_t kEventSourceName[] = L"KEL Administrator";

// The events and their texts are those of the message table (res/events.mc): 1000 a stored
// change, 1001 a change not made, 1002 what a rollback or a cleanup could not remove, 1003 the
// cleanup of an interrupted move, 1004 one left as it was because the server now uses its
// destination. Lists of paths name at most 50, then how many more there are.

struct AuditRecord
{
    WORD type; // EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE or EVENTLOG_ERROR_TYPE
    DWORD eventId;
    std::vector<std::wstring> strings;
    DWORD sessionId;
};

// `what` names the setting ("display mode", "root directory", "directory of queue Alpha").
void AuditChanged(const std::wstring& what, const std::wstring& before, const std::wstring& after);
void AuditNotChanged(const std::wstring& what, const std::wstring& reason);
void AuditLeftBehind(const std::wstring& what, const std::vector<std::wstring>& left);
void AuditCleanedUp(const std::wstring& destination, const std::vector<std::wstring>& removed);
void AuditNotCleanedUp(const std::wstring& destination);

// Where the records go: the event log, unless a writer of its own is put in place (a test's);
// null puts the event log back.
using AuditWriter = std::function<void(const AuditRecord&)>;
void SetAuditWriter(AuditWriter writer);

// The account running the tool, as DOMAIN\user.
std::wstring CurrentAccountName();
