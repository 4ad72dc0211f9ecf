#include "relocate/AdministratorsFolder.h"

#include "base/ErrorTexts.h"
#include "base/ResourceText.h"
#include "relocate/AdministratorsOnly.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <aclapi.h>
#include <shlobj.h>

namespace
{
const wchar_t kFolderName[] = L"KEL Administrator";

std::wstring FolderPath()
{
    wchar_t common[MAX_PATH] = L"";
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)))
        return std::wstring();
    return std::wstring(common) + L'\\' + kFolderName;
}

// Opened as itself, not as what a link there leads to; with the rights to mend it when this
// process has them.
HANDLE OpenFolder(const std::wstring& path)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE folder = CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER, share,
                                nullptr, OPEN_EXISTING, flags, nullptr);
    if (folder == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        folder =
            CreateFileW(path.c_str(), READ_CONTROL, share, nullptr, OPEN_EXISTING, flags, nullptr);
    return folder;
}

Changers ChangersOfFolder(HANDLE folder)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return Changers::kOthersOwn;
    const Changers changers = ChangersOf(descriptor);
    LocalFree(descriptor);
    return changers;
}

// Why the folder cannot be used; empty when it can.
std::wstring TroubleWith(const std::wstring& path)
{
    CAdministratorsOnly access(true);
    if (!CreateDirectoryW(path.c_str(), access.Attributes()) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return ErrorTextW(ErrnoFromPlatformError(GetLastError()));
    HANDLE folder = OpenFolder(path);
    if (folder == INVALID_HANDLE_VALUE)
        return ErrorTextW(ErrnoFromPlatformError(GetLastError()));
    std::wstring trouble;
    BY_HANDLE_FILE_INFORMATION information = {};
    GetFileInformationByHandle(folder, &information);
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        trouble = LoadResourceTextW(IDS_LINK_NOT_FOLLOWED);
    else if (ChangersOfFolder(folder) != Changers::kAdministratorsOnly &&
             (!MakeAdministratorsOnly(folder) ||
              ChangersOfFolder(folder) != Changers::kAdministratorsOnly))
        trouble = LoadResourceTextW(IDS_OTHERS_MAY_CHANGE);
    CloseHandle(folder);
    return trouble;
}
} // namespace

bool PrepareAdministratorsFolder(std::wstring& path, CReporter* reporter)
{
    path = FolderPath();
    const std::wstring trouble =
        path.empty() ? ErrorTextW(ErrnoFromPlatformError(ERROR_PATH_NOT_FOUND)) : TroubleWith(path);
    if (trouble.empty())
        return true;
    if (reporter != nullptr)
        ReportPathFailure(*reporter, IDS_FOLDER_NOT_TRUSTED, path, trouble);
    return false;
}

std::wstring ProgramFolderWarning()
{
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    if (folder.empty() || !IsElevated() || !OthersMayChange(folder))
        return std::wstring();
    return FormatMessageText(IDS_PROGRAM_FOLDER_WRITABLE, {folder});
}
