// The application object of the unit test program: code under test finds its title, its
// instance and its prompt context here, as it does in the tool.
#include "framework/WinApp.h"
#include "tests/unit/MessageBoxCatcher.h"

namespace
{
class CTestApp : public CWinApp
{
public:
    CTestApp()
    {
        // Set what WinMain would set: the unit tests run under gtest's own main.
        Start(GetModuleHandleA(nullptr));
        SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
        SetAnnotationSink(RecordAnnotation);
    }
};

CTestApp s_testApp;
} // namespace
