#include "base/SafeLoading.h"
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    LoadLibrariesFromSystemOnly();
    CWinApp* app = CWinApp::Get();
    return app != nullptr ? app->Start(instance) : 1;
}
