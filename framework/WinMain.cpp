#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CWinApp* app = CWinApp::Get();
    return app != nullptr ? app->Start(instance) : 1;
}
