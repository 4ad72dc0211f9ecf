#pragma once

#include <windows.h>

// What keeps the tool's shared objects (its lock, its journals) out of reach of users who are not
// administrators: only Administrators and SYSTEM may open or change them, and a journal is
// trusted only when one of them, or the user running the tool, owns it.
class CAdministratorsOnly
{
public:
    // `folder`: what is made inside the folder takes the same access.
    explicit CAdministratorsOnly(bool folder = false);
    ~CAdministratorsOnly();
    CAdministratorsOnly(const CAdministratorsOnly&) = delete;
    CAdministratorsOnly& operator=(const CAdministratorsOnly&) = delete;

    // Null when the platform could not make them: the object then gets the default access.
    SECURITY_ATTRIBUTES* Attributes() { return m_descriptor != nullptr ? &m_attributes : nullptr; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes = {};
};

// True when the open file `file` is owned by Administrators, by SYSTEM, or by the user running
// this process.
bool IsOwnedByAdministratorsOrCaller(HANDLE file);
