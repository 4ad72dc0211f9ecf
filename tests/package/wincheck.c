/* What the package tests check from inside Windows:
     wincheck no-write-for-users PATH  prints the access list of PATH (SDDL); fails when it grants
                                       Everyone, Users or Authenticated Users anything that
                                       writes, deletes or changes access
     wincheck run-dialog PROGRAM       starts PROGRAM, waits until it waits for its user, closes
                                       its windows until it ends (printing the text of each
                                       message box), and ends with its exit code */
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <stdio.h>
#include <wchar.h>

static int NoWriteForUsers(const wchar_t* path)
{
    const DWORD writes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                         FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                         GENERIC_ALL;
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR sd = NULL;
    LPWSTR text = NULL;
    if (GetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &dacl,
                              NULL, &sd) != ERROR_SUCCESS)
        return 2;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, NULL))
        wprintf(L"%ls: %ls\n", path, text);
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

static BOOL CALLBACK CloseWindowOf(HWND window, LPARAM process)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    wchar_t text[2048] = L"";
    if (id != (DWORD)process || !IsWindowVisible(window))
        return TRUE;
    if (GetDlgItem(window, 0xFFFF) != NULL && GetDlgItemTextW(window, 0xFFFF, text, 2048) > 0)
        wprintf(L"%ls\n", text);
    PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

static int RunDialog(wchar_t* program)
{
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessW(NULL, program, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 2;
    DWORD code = 2;
    /* At most a minute: each round closes what it shows now (a message box, then the dialog). */
    for (int round = 0; round < 60 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
         round++)
    {
        WaitForInputIdle(process.hProcess, 1000);
        EnumWindows(CloseWindowOf, (LPARAM)process.dwProcessId);
        WaitForSingleObject(process.hProcess, 1000);
    }
    if (!GetExitCodeProcess(process.hProcess, &code) || code == STILL_ACTIVE)
        TerminateProcess(process.hProcess, code = 3);
    wprintf(L"%ls ended with %lu\n", program, code);
    return (int)code;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && wcscmp(argv[1], L"no-write-for-users") == 0)
        return NoWriteForUsers(argv[2]);
    if (argc == 3 && wcscmp(argv[1], L"run-dialog") == 0)
        return RunDialog(argv[2]);
    return 64;
}
