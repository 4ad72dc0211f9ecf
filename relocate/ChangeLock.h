#pragma once

#include <windows.h>

#include <functional>
#include <string>

// One change at a time per profile, across processes and Terminal Server sessions: an exclusive
// open of a lock file in the administrators' folder, named after the profile's identity (its
// final path, case-folded), so that every spelling of one file (8.3 names, a mapped or
// substituted drive) shares one lock. Released when the object ends, or its process does.
class CChangeLock
{
public:
    CChangeLock(const std::wstring& folder, const std::string& profilePath);
    ~CChangeLock();
    CChangeLock(const CChangeLock&) = delete;
    CChangeLock& operator=(const CChangeLock&) = delete;

    enum class Result
    {
        kTaken,
        kBusy,  // another holds it still, after the wait
        kDenied // it cannot be opened at all (see Error): this process lacks the rights
    };
    // Waits up to `waitMs` for the lock, or until `keepWaiting` says no. Messages sent to the
    // thread's windows from elsewhere are answered meanwhile.
    Result Take(DWORD waitMs, const std::function<bool()>& keepWaiting = nullptr);
    DWORD Error() const { return m_error; }
    const std::wstring& Path() const { return m_path; }

    // Names what the lock guards; the profile's journal is named after it too.
    const std::wstring& Key() const { return m_key; }
    // The key an earlier version named the lock and journal after: the path as written.
    const std::wstring& EarlierKey() const { return m_earlierKey; }

private:
    std::wstring m_key;
    std::wstring m_earlierKey;
    std::wstring m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    DWORD m_error = 0;
};
