#pragma once

#include "framework/Dialog.h"

// The About box, owned by the main dialog.
class CAboutDlg : public CDialog
{
public:
    explicit CAboutDlg(HWND owner);

protected:
    BOOL OnInitDialog() override;
};
