#include "notify/ChangeAudit.h"

#include "base/ResourceText.h"
#include "res/resource.h"

#include "events.h"

#include <memory>

namespace
{
AuditWriter& Writer()
{
    static AuditWriter writer;
    return writer;
}

// The user of the running process, for the record's user field and the text; null when the
// platform cannot tell.
std::unique_ptr<BYTE[]> ProcessUser()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<BYTE[]> user(size > 0 ? new BYTE[size] : nullptr);
    if (user && !GetTokenInformation(token, TokenUser, user.get(), size, &size))
        user.reset();
    CloseHandle(token);
    return user;
}

PSID SidOf(const std::unique_ptr<BYTE[]>& user)
{
    return user ? reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid : nullptr;
}

void WriteToEventLog(const AuditRecord& record)
{
    HANDLE source = RegisterEventSourceW(nullptr, kEventSourceName);
    if (source == nullptr)
        return;
    std::vector<LPCWSTR> strings;
    for (const std::wstring& text : record.strings)
        strings.push_back(text.c_str());
    const std::unique_ptr<BYTE[]> user = ProcessUser();
    DWORD session = record.sessionId;
    ReportEventW(source, record.type, 0, record.eventId, SidOf(user),
                 static_cast<WORD>(strings.size()), sizeof session, strings.data(), &session);
    DeregisterEventSource(source);
}

// Never throws: a record that cannot be made is dropped, as one the log refuses.
void Write(WORD type, DWORD eventId, std::vector<std::wstring> strings) noexcept
try
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    const AuditRecord record{type, eventId, std::move(strings), session};
    if (Writer())
        Writer()(record);
    else
        WriteToEventLog(record);
}
catch (...)
{
}

// At most this many paths, then how many more there are.
const size_t kMostPathsListed = 50;

std::wstring Lines(const std::vector<std::wstring>& paths)
{
    std::wstring lines;
    for (size_t i = 0; i < paths.size() && i < kMostPathsListed; ++i)
        lines += (i == 0 ? L"" : L"\r\n") + paths[i];
    if (paths.size() > kMostPathsListed)
        lines += L"\r\n" + FormatMessageText(IDS_AND_MORE,
                                             {std::to_wstring(paths.size() - kMostPathsListed)});
    return lines;
}
} // namespace

std::wstring CurrentAccountName()
{
    const std::unique_ptr<BYTE[]> user = ProcessUser();
    wchar_t name[256] = L"";
    wchar_t domain[256] = L"";
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use;
    if (!SidOf(user) ||
        !LookupAccountSidW(nullptr, SidOf(user), name, &nameSize, domain, &domainSize, &use))
        return std::wstring();
    return std::wstring(domain) + L'\\' + name;
}

void AuditChanged(const std::wstring& what, const std::wstring& before, const std::wstring& after)
{
    Write(EVENTLOG_INFORMATION_TYPE, KEL_EVENT_CHANGED,
          {what, before, after, CurrentAccountName()});
}

void AuditNotChanged(const std::wstring& what, const std::wstring& reason)
{
    Write(EVENTLOG_WARNING_TYPE, KEL_EVENT_NOT_CHANGED, {what, reason});
}

void AuditLeftBehind(const std::wstring& what, const std::vector<std::wstring>& left)
{
    Write(EVENTLOG_ERROR_TYPE, KEL_EVENT_LEFT_BEHIND, {what, Lines(left)});
}

void AuditCleanedUp(const std::wstring& destination, const std::vector<std::wstring>& removed)
{
    Write(EVENTLOG_INFORMATION_TYPE, KEL_EVENT_CLEANED_UP, {destination, Lines(removed)});
}

void AuditNotCleanedUp(const std::wstring& destination)
{
    Write(EVENTLOG_WARNING_TYPE, KEL_EVENT_NOT_CLEANED_UP, {destination});
}

void SetAuditWriter(AuditWriter writer)
{
    Writer() = std::move(writer);
}
