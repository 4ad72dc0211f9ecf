#include "relocate/ChangeLock.h"

#include "base/WideText.h"
#include "relocate/AdministratorsOnly.h"
#include "relocate/SentMessageWait.h"

#include <algorithm>
#include <cwchar>

namespace
{
const wchar_t kMutexPrefix[] = L"Global\\KEL Administrator ";
const DWORD kWaitSliceMs = 50;

// FNV-1a over the case-folded full path: a kernel object name may hold no backslash and must
// stay short, whatever the path.
std::wstring KeyOf(const std::string& serverProfilePath)
{
    const std::wstring path = WidenText(serverProfilePath);
    wchar_t full[MAX_PATH * 2] = L"";
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    std::wstring folded = length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : path;
    if (!folded.empty())
        CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : folded)
    {
        hash ^= static_cast<unsigned long long>(c);
        hash *= 1099511628211ull;
    }
    wchar_t key[17];
    std::swprintf(key, 17, L"%016llx", hash);
    return key;
}
} // namespace

CChangeLock::CChangeLock(const std::string& serverProfilePath) : m_key(KeyOf(serverProfilePath))
{
    CAdministratorsOnly access;
    m_mutex = CreateMutexW(access.Attributes(), FALSE, (kMutexPrefix + m_key).c_str());
}

CChangeLock::~CChangeLock()
{
    Release();
    if (m_mutex != nullptr)
        CloseHandle(m_mutex);
}

CChangeLock::Result CChangeLock::Take(DWORD waitMs, const std::function<bool()>& keepWaiting)
{
    // Without the mutex (not allowed to open it) the lock counts as another's.
    if (m_mutex == nullptr)
        return Result::kBusy;
    const ULONGLONG end = GetTickCount64() + waitMs;
    for (;;)
    {
        const ULONGLONG now = GetTickCount64();
        const auto slice =
            static_cast<DWORD>(std::min<ULONGLONG>(end > now ? end - now : 0, kWaitSliceMs));
        const DWORD waited = WaitAnsweringSentMessages(m_mutex, slice);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0)
        {
            m_held = true;
            return waited == WAIT_OBJECT_0 ? Result::kTaken : Result::kTakenAbandoned;
        }
        if (waited != WAIT_TIMEOUT)
            return Result::kBusy;
        if (GetTickCount64() >= end || (keepWaiting && !keepWaiting()))
            return Result::kBusy;
    }
}

void CChangeLock::Release()
{
    if (m_held)
        ReleaseMutex(m_mutex);
    m_held = false;
}
