#pragma once

#include "framework/WinApp.h"

// The tool's application: runs the main dialog once and ends with it.
class CAdminApp : public CWinApp
{
public:
    BOOL InitInstance() override;
};
