#include "app/AboutDlg.h"

#include "res/resource.h"
#include "ui/MessageReport.h"

#include <vector>

namespace
{
// The program's version from its version resource: major and minor number.
bool ReadProgramVersion(unsigned& major, unsigned& minor)
{
    char path[MAX_PATH] = "";
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0)
        return false;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(path, 0, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) ||
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
    {
        std::string line;
        FormatResourceText(line, IDS_ABOUT_VERSION, major, minor);
        SetDlgItemTextA(GetSafeHwnd(), IDC_ABOUT_VERSION, line.c_str());
    }
    CenterWindow();
    return TRUE;
}
