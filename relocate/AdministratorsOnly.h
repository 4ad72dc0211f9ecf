#pragma once

#include <windows.h>

#include <string>

// What keeps the tool's own files (its journals and locks) out of reach of users who are not
// administrators: they live in a folder that only Administrators and SYSTEM may change.
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
    PSECURITY_DESCRIPTOR Descriptor() const { return m_descriptor; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes = {};
};

// Who may change what a security descriptor guards.
enum class Changers
{
    kAdministratorsOnly, // its owner is Administrators, SYSTEM or the administrator running the
                         // tool, and no one else may write, delete or change its access
    kOthersOwn,          // another owner, who could change its access at will
    kOthersWrite,        // its list lets others write, delete or change it
};
Changers ChangersOf(PSECURITY_DESCRIPTOR descriptor);

// Makes Administrators the owner of the open object, with a list that lets only Administrators
// and SYSTEM change it, inherited by what is made inside. False when it could not be done.
bool MakeAdministratorsOnly(HANDLE object);

// True when the open file `file` is owned by Administrators, by SYSTEM, or by the user running
// this process.
bool IsOwnedByAdministratorsOrCaller(HANDLE file);

// True when users who are not administrators may change what the folder `folder` holds (or its
// access); false also when that cannot be told.
bool OthersMayChange(const std::wstring& folder);

// True when this process runs with an administrator's full rights (elevated).
bool IsElevated();
