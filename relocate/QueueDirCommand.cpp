#include "app/AdminDlg.h"

// "Browse" for the selected queue's directory.
void CAdminDlg::OnBrowseQueueDir() {}

// "Set Dir": carries the queue's files over to the new directory and stores it.
void CAdminDlg::OnSetDir() {}
