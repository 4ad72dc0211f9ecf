#pragma once

#include "tests/driver/MessageBoxReading.h"
#include "tests/driver/TestFiles.h"

#include <windows.h>

#include <vector>

// A message box of this process, as it stood when it was shown.
struct CaughtBox : MessageBoxInfo
{
    DWORD promptContext = 0; // the application's prompt help context while it was up
    COLORREF background = 0; // the colour its dialog background is painted with
    COLORREF textColour = 0; // the text colour set for its static texts
    HWND owner = nullptr;
};

// While it lives, every message box shown on this thread is read and closed with OK at once,
// so code under test that reports through message boxes runs to its end.
class CMessageBoxCatcher
{
public:
    CMessageBoxCatcher();
    ~CMessageBoxCatcher();
    CMessageBoxCatcher(const CMessageBoxCatcher&) = delete;
    CMessageBoxCatcher& operator=(const CMessageBoxCatcher&) = delete;

    const std::vector<CaughtBox>& Boxes() const { return m_boxes; }
    void Clear() { m_boxes.clear(); }

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static CMessageBoxCatcher* s_active;

    HHOOK m_hook = nullptr;
    std::vector<CaughtBox> m_boxes;
};
