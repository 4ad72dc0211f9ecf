#include "relocate/ChangeLock.h"

#include "base/WideText.h"
#include "relocate/AdministratorsOnly.h"
#include "relocate/FileIdentity.h"
#include "relocate/SentMessageWait.h"

#include <algorithm>
#include <cwchar>

namespace
{
const wchar_t kLockExtension[] = L".lock";
const DWORD kWaitSliceMs = 50;
const ULONGLONG kDeletePendingMs = 1000;

// FNV-1a over the case-folded path: a file name short enough whatever the path.
std::wstring HashOf(std::wstring path)
{
    if (!path.empty())
        CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : path)
    {
        hash ^= static_cast<unsigned long long>(c);
        hash *= 1099511628211ull;
    }
    wchar_t key[17];
    std::swprintf(key, 17, L"%016llx", hash);
    return key;
}

std::wstring FullPathOf(const std::wstring& path)
{
    wchar_t full[MAX_PATH * 2] = L"";
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : path;
}

// The profile's final path; a profile yet to be made is named by its folder's final path.
std::wstring IdentityPathOf(const std::wstring& path)
{
    FileIdentity identity;
    if (ReadFileIdentity(path, identity) && !identity.finalPath.empty())
        return identity.finalPath;
    const std::wstring full = FullPathOf(path);
    const size_t slash = full.rfind(L'\\');
    if (slash == std::wstring::npos || !ReadFileIdentity(full.substr(0, slash), identity) ||
        identity.finalPath.empty())
        return full;
    const bool separated = identity.finalPath.back() == L'\\';
    return identity.finalPath + (separated ? L"" : L"\\") + full.substr(slash + 1);
}
} // namespace

CChangeLock::CChangeLock(const std::wstring& folder, const std::string& profilePath)
    : m_key(HashOf(IdentityPathOf(WidenText(profilePath)))),
      m_earlierKey(HashOf(FullPathOf(WidenText(profilePath)))),
      m_path(folder + L'\\' + m_key + kLockExtension)
{
}

// The file goes with the lock, unless another has opened it meanwhile: nobody can delete a file
// that another holds open without sharing it.
CChangeLock::~CChangeLock()
{
    if (m_file == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(m_file);
    DeleteFileW(m_path.c_str());
}

CChangeLock::Result CChangeLock::Take(DWORD waitMs, const std::function<bool()>& keepWaiting)
{
    CAdministratorsOnly access;
    const ULONGLONG start = GetTickCount64();
    const ULONGLONG end = start + waitMs;
    for (;;)
    {
        m_file = CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, access.Attributes(),
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file != INVALID_HANDLE_VALUE)
            return Result::kTaken;
        m_error = GetLastError();
        const ULONGLONG now = GetTickCount64();
        // A lock file deleted by its last holder while another program (a scanner) still had it
        // open refuses every open until that program lets go: for a moment that is no refusal
        // of rights.
        const bool deletePending = m_error == ERROR_ACCESS_DENIED && now - start < kDeletePendingMs;
        if (m_error != ERROR_SHARING_VIOLATION && !deletePending)
            return Result::kDenied;
        if (!deletePending && (now >= end || (keepWaiting && !keepWaiting())))
            return Result::kBusy;
        // Sleeps the slice, answering what is sent meanwhile: the event never comes.
        const ULONGLONG until = deletePending ? start + kDeletePendingMs : end;
        WaitAnsweringSentMessages(GetCurrentProcess(), static_cast<DWORD>(std::min<ULONGLONG>(
                                                           until - now, kWaitSliceMs)));
    }
}
