#include "app/AboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg(HWND owner) : CDialog(IDD_ABOUTBOX, owner) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CenterWindow();
    return TRUE;
}
