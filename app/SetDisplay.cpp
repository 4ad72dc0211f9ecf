#include "app/AdminDlg.h"

// "Set Display": rewrites the show command of the server's window placement record.
void CAdminDlg::OnSetDisplay() {}
