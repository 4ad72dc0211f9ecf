#include "relocate/AdministratorsOnly.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace
{
// Full access for the built-in Administrators and for SYSTEM, none inherited from above.
const wchar_t kAdministratorsOnly[] = L"D:P(A;;GA;;;BA)(A;;GA;;;SY)";
const wchar_t kAdministratorsOnlyFolder[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
const wchar_t kTrustedInstaller[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
// Rights that let a holder put something in, take something out, or hand the rights on.
const ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                  FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC |
                                  WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

std::vector<BYTE> TokenInformation(TOKEN_INFORMATION_CLASS which)
{
    std::vector<BYTE> information;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return information;
    DWORD size = 0;
    GetTokenInformation(token, which, nullptr, 0, &size);
    information.resize(size);
    if (size == 0 || !GetTokenInformation(token, which, information.data(), size, &size))
        information.clear();
    CloseHandle(token);
    return information;
}

bool IsCallerSid(PSID sid)
{
    const std::vector<BYTE> user = TokenInformation(TokenUser);
    return !user.empty() &&
           EqualSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, sid);
}

// Administrators, SYSTEM, and the service that installs the system's own files.
bool IsAdministratorsOrSystem(PSID sid)
{
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid))
        return true;
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return false;
    const bool installer = lstrcmpiW(text, kTrustedInstaller) == 0;
    LocalFree(text);
    return installer;
}

// The administrator running the tool may own it: whoever owns an object may change its access
// anyway, so a right granted to the owner changes nothing.
bool IsTrustedOwner(PSID owner)
{
    return owner != nullptr &&
           (IsAdministratorsOrSystem(owner) || (IsElevated() && IsCallerSid(owner)));
}

// Entries that grant rights, of whatever kind: one of a kind whose account is not read the
// plain way counts as granting them to others.
bool IsAllowEntry(BYTE type)
{
    return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_COMPOUND_ACE_TYPE ||
           type == ACCESS_ALLOWED_OBJECT_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE ||
           type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
}

bool LetsOthersChange(PACL list, PSID owner)
{
    // No list at all lets everyone do everything.
    if (list == nullptr)
        return true;
    for (DWORD i = 0; i < list->AceCount; ++i)
    {
        ACE_HEADER* header = nullptr;
        if (!GetAce(list, i, reinterpret_cast<void**>(&header)) || !IsAllowEntry(header->AceType) ||
            (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        // Every kind of entry keeps its rights first; only the plain kind keeps its account next.
        const auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if ((ace->Mask & kChangeRights) == 0)
            continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return true;
        PSID sid = const_cast<DWORD*>(&ace->SidStart);
        if (!IsAdministratorsOrSystem(sid) && !(owner != nullptr && EqualSid(sid, owner)))
            return true;
    }
    return false;
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

Changers ChangersOf(PSECURITY_DESCRIPTOR descriptor)
{
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    BOOL present = FALSE;
    PACL list = nullptr;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !IsTrustedOwner(owner))
        return Changers::kOthersOwn;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) ||
        LetsOthersChange(present ? list : nullptr, owner))
        return Changers::kOthersWrite;
    return Changers::kAdministratorsOnly;
}

bool MakeAdministratorsOnly(HANDLE object)
{
    CAdministratorsOnly access(true);
    BYTE owner[SECURITY_MAX_SID_SIZE];
    DWORD ownerSize = sizeof owner;
    PACL list = nullptr;
    BOOL defaulted = FALSE;
    BOOL present = FALSE;
    return access.Descriptor() != nullptr &&
           CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, owner, &ownerSize) &&
           GetSecurityDescriptorDacl(access.Descriptor(), &present, &list, &defaulted) &&
           SetSecurityInfo(object, SE_FILE_OBJECT,
                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                               PROTECTED_DACL_SECURITY_INFORMATION,
                           owner, nullptr, list, nullptr) == ERROR_SUCCESS;
}

bool IsOwnedByAdministratorsOrCaller(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool trusted =
        owner != nullptr && (IsAdministratorsOrSystem(owner) || IsCallerSid(owner));
    LocalFree(descriptor);
    return trusted;
}

bool IsElevated()
{
    const std::vector<BYTE> elevation = TokenInformation(TokenElevation);
    return elevation.size() >= sizeof(TOKEN_ELEVATION) &&
           reinterpret_cast<const TOKEN_ELEVATION*>(elevation.data())->TokenIsElevated != 0;
}

bool OthersMayChange(const std::wstring& folder)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool others = ChangersOf(descriptor) != Changers::kAdministratorsOnly;
    LocalFree(descriptor);
    return others;
}
