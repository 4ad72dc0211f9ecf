#include "app/AboutDlg.h"

#include "base/ResourceText.h"
#include "res/resource.h"


namespace
{
// The program's version from its own version resource, read in place: major and minor number.
// The resource starts with the fixed part, found by its signature, after the header and key.
bool ReadProgramVersion(unsigned& major, unsigned& minor)
{
    // RT_VERSION, in its wide form.
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
    const auto* block = static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD size = found != nullptr ? SizeofResource(nullptr, found) : 0;
    for (DWORD at = 0; block != nullptr && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4)
    {
        const auto* info = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + at);
        if (info->dwSignature != VS_FFI_SIGNATURE)
            continue;
        major = HIWORD(info->dwProductVersionMS);
        minor = LOWORD(info->dwProductVersionMS);
        return true;
    }
    return false;
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
