#include "app/AboutDlg.h"

#include "base/ResourceText.h"
#include "res/resource.h"

#include <vector>

namespace
{
// The program's version from its version resource: major and minor number.
bool ReadProgramVersion(unsigned& major, unsigned& minor)
{
    // The wide form: the program may lie in a folder whose name the code page cannot write.
    wchar_t path[MAX_PATH] = L"";
    const DWORD pathLength = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (pathLength == 0 || pathLength >= MAX_PATH)
        return false;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoW(path, 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
        length < sizeof *info)
        return false;
    major = HIWORD(info->dwProductVersionMS);
    minor = LOWORD(info->dwProductVersionMS);
    return true;
}
} // namespace

CAboutDlg::CAboutDlg(HWND owner) : CDialog(IDD_ABOUTBOX, owner) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    unsigned major = 0;
    unsigned minor = 0;
    if (ReadProgramVersion(major, minor))
        SetDlgItemTextW(GetSafeHwnd(), IDC_ABOUT_VERSION,
                        FormatMessageText(IDS_ABOUT_VERSION,
                                          {std::to_wstring(major), std::to_wstring(minor)})
                            .c_str());
    CenterWindow();
    return TRUE;
}
