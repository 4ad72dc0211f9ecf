#pragma once

#include <windows.h>

#include <functional>
#include <string>

// One change at a time per server, across processes and Terminal Server sessions: a named
// mutex in the global namespace, named after the server profile's full path (case-folded),
// open to Administrators and SYSTEM only. Released when the object ends.
class CChangeLock
{
public:
    explicit CChangeLock(const std::string& serverProfilePath);
    ~CChangeLock();
    CChangeLock(const CChangeLock&) = delete;
    CChangeLock& operator=(const CChangeLock&) = delete;

    enum class Result
    {
        kTaken,
        kTakenAbandoned, // the earlier holder ended without releasing it
        kBusy            // another holds it still, after the wait
    };
    // Waits up to `waitMs` for the lock, or until `keepWaiting` says no. Messages sent to the
    // thread's windows from elsewhere are handled meanwhile.
    Result Take(DWORD waitMs, const std::function<bool()>& keepWaiting = nullptr);

    // Names what the lock guards; the server's journal is named after it too.
    const std::wstring& Key() const { return m_key; }

private:
    void Release();

    std::wstring m_key;
    HANDLE m_mutex = nullptr;
    bool m_held = false;
};
