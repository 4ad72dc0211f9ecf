/* no-write-for-users PATH: prints the access list of PATH (SDDL) and fails when it grants
   Everyone, Users or Authenticated Users anything that writes, deletes or changes access. */
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv)
{
    const DWORD writes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                         FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                         GENERIC_ALL;
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR sd = NULL;
    LPWSTR text = NULL;
    if (argc != 2 || GetNamedSecurityInfoW(argv[1], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL,
                                           NULL, &dacl, NULL, &sd) != ERROR_SUCCESS)
        return 2;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, NULL))
        wprintf(L"%ls: %ls\n", argv[1], text);
    int granted = dacl == NULL; /* no list at all: everyone may do everything */
    for (DWORD i = 0; dacl != NULL && i < dacl->AceCount; i++)
    {
        ACCESS_ALLOWED_ACE* ace = NULL;
        if (GetAce(dacl, i, (void**)&ace) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            (ace->Mask & writes) != 0)
        {
            PSID sid = &ace->SidStart;
            granted |= IsWellKnownSid(sid, WinWorldSid) || IsWellKnownSid(sid, WinBuiltinUsersSid) ||
                       IsWellKnownSid(sid, WinAuthenticatedUserSid);
        }
    }
    return granted;
}
