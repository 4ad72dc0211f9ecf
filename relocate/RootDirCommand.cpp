#include "app/AdminDlg.h"

// "Browse" for the root directory.
void CAdminDlg::OnBrowseRoot() {}

// "Set Root": carries the log files over to the new root and stores it.
void CAdminDlg::OnSetRoot() {}
