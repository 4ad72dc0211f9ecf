#include "relocate/AdministratorsOnly.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace
{
// Full access for the built-in Administrators and for SYSTEM, none inherited from above.
const wchar_t kAdministratorsOnly[] = L"D:P(A;;GA;;;BA)(A;;GA;;;SY)";
const wchar_t kAdministratorsOnlyFolder[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

bool IsCallerSid(PSID sid)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    const bool same = size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
                      EqualSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, sid);
    CloseHandle(token);
    return same;
}
} // namespace

CAdministratorsOnly::CAdministratorsOnly(bool folder)
{
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(
            folder ? kAdministratorsOnlyFolder : kAdministratorsOnly, SDDL_REVISION_1,
            &m_descriptor, nullptr))
        m_attributes = {sizeof m_attributes, m_descriptor, FALSE};
}

CAdministratorsOnly::~CAdministratorsOnly()
{
    if (m_descriptor != nullptr)
        LocalFree(m_descriptor);
}

bool IsOwnedByAdministratorsOrCaller(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool trusted =
        owner != nullptr && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                             IsWellKnownSid(owner, WinLocalSystemSid) || IsCallerSid(owner));
    LocalFree(descriptor);
    return trusted;
}
