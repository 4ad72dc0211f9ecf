#pragma once

#include "framework/AccessibleNames.h"
#include "tests/driver/MessageBoxReading.h"
#include "tests/driver/TestFiles.h"

#include <windows.h>

#include <vector>

// The brush's colour and the text colour that `window` answers `ctlColour` for `control` with.
using Colours = std::pair<COLORREF, COLORREF>;
Colours AnsweredColours(HWND window, UINT ctlColour, HWND control);
const Colours kGrey{RGB(192, 192, 192), RGB(0, 0, 0)};
const Colours kContrast{RGB(0, 0, 128), RGB(255, 255, 255)}; // button face, window text

// While it lives, high contrast counts as on (Wine keeps no such mode), in kContrast's colours.
struct CHighContrast
{
    CHighContrast();
    ~CHighContrast();
    COLORREF m_saved[2];
};

// The unit tests keep each control's latest accessible texts here, in place of the platform's
// annotation service, which Wine lacks; a cleared one is empty.
bool RecordAnnotation(HWND control, AccessibleText what, const wchar_t* text);
std::string Annotation(HWND control, AccessibleText what);

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
