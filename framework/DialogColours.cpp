#include "framework/DialogColours.h"

#include "base/ResourceText.h"

#include <commctrl.h>
#include <initguid.h> // before oleacc.h: defines the annotation service's identifiers
#include <oleacc.h>

#include <string>

namespace
{
// The class atom of every dialog box window.
const ATOM kDialogClassAtom = 32770;
const char kOriginalProcProperty[] = "CDialogColours.OriginalProc";

HHOOK g_hook = nullptr;
HBRUSH g_backgroundBrush = nullptr;
COLORREF g_background = RGB(255, 255, 255);
COLORREF g_text = RGB(0, 0, 0);

bool AskPlatformForHighContrast()
{
    HIGHCONTRASTW settings = {sizeof settings, 0, nullptr};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof settings, &settings, 0) &&
           (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool (*g_highContrastQuery)() = AskPlatformForHighContrast;

bool IsColouredCtlMessage(UINT message)
{
    return message == WM_CTLCOLORDLG || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN ||
           message == WM_CTLCOLORMSGBOX;
}

// Keeps the window's character set: the A and W forms would convert a Unicode box to ANSI.
LONG_PTR SetWindowProc(HWND window, WNDPROC proc)
{
    const auto value = reinterpret_cast<LONG_PTR>(proc);
    return IsWindowUnicode(window) ? SetWindowLongPtrW(window, GWLP_WNDPROC, value)
                                   : SetWindowLongPtrA(window, GWLP_WNDPROC, value);
}

// The system sends both changes to top-level windows only. Common controls keep copies of the
// system's colours and learn of new ones only when their parent passes the change on; what is
// already painted in the previous colours is painted again.
void FollowColourChange(HWND window, UINT message)
{
    if (message == WM_SYSCOLORCHANGE)
    {
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    }
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

LRESULT CALLBACK ColouredDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto original = reinterpret_cast<WNDPROC>(GetPropA(window, kOriginalProcProperty));
    const bool unicode = IsWindowUnicode(window) != FALSE;
    // Asked at every paint, so that a dialog painted after a switch of the mode follows it.
    if (IsColouredCtlMessage(message) && g_backgroundBrush != nullptr && !IsHighContrastOn())
    {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, g_text);
        SetBkColor(dc, g_background);
        return reinterpret_cast<LRESULT>(g_backgroundBrush);
    }
    if (message == WM_SYSCOLORCHANGE ||
        (message == WM_SETTINGCHANGE && wParam == SPI_SETHIGHCONTRAST))
        FollowColourChange(window, message);
    if (message == WM_NCDESTROY)
    {
        SetWindowProc(window, original);
        RemovePropA(window, kOriginalProcProperty);
    }
    return unicode ? CallWindowProcW(original, window, message, wParam, lParam)
                   : CallWindowProcA(original, window, message, wParam, lParam);
}

bool IsDialogWindow(HWND window)
{
    return GetClassLongPtrA(window, GCW_ATOM) == kDialogClassAtom;
}

// Subclasses each dialog as it is created, before it receives its first message.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(window) && GetPropA(window, kOriginalProcProperty) == nullptr)
        {
            LONG_PTR original = SetWindowProc(window, ColouredDialogProc);
            SetPropA(window, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

// Plain strings rather than a callback server: the accessibility proxies of every process read
// them from the window without calling back into this thread, which a long command keeps busy.
bool AnnotateOnPlatform(HWND control, AccessibleText what, const wchar_t* text)
{
    // The application keeps COM for its thread as a rule; then this pair only counts.
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* services = nullptr;
    HRESULT result = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IAccPropServices, reinterpret_cast<void**>(&services));
    if (SUCCEEDED(result))
    {
        const MSAAPROPID property =
            what == AccessibleText::kName ? PROPID_ACC_NAME : PROPID_ACC_DESCRIPTION;
        result = text != nullptr
                     ? services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, property, text)
                     : services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &property, 1);
        services->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return SUCCEEDED(result);
}

AnnotationSink g_annotationSink = nullptr;

bool Annotate(HWND control, AccessibleText what, const wchar_t* text)
{
    return g_annotationSink != nullptr ? g_annotationSink(control, what, text)
                                       : AnnotateOnPlatform(control, what, text);
}

// What assistive technology was last told of a control, kept with the control.
struct Annotations
{
    std::wstring name;
    std::wstring description;
};

const char kAnnotationsProperty[] = "CDialogColours.Annotations";

// The annotations go with their control.
LRESULT CALLBACK AnnotatedControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR)
{
    if (message == WM_NCDESTROY)
    {
        Annotate(window, AccessibleText::kName, nullptr);
        Annotate(window, AccessibleText::kDescription, nullptr);
        RemoveWindowSubclass(window, AnnotatedControlProc, id);
        delete static_cast<Annotations*>(RemovePropA(window, kAnnotationsProperty));
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

Annotations* AnnotationsOf(HWND control)
{
    if (auto* annotations = static_cast<Annotations*>(GetPropA(control, kAnnotationsProperty)))
        return annotations;
    auto* annotations = new Annotations;
    if (SetWindowSubclass(control, AnnotatedControlProc, 0, 0) &&
        SetPropA(control, kAnnotationsProperty, annotations))
        return annotations;
    RemoveWindowSubclass(control, AnnotatedControlProc, 0);
    delete annotations;
    return nullptr;
}

// Tells assistive technology only what it has not been told already: a progress window shows
// its texts many times a second, mostly unchanged.
void AnnotateControl(HWND control, AccessibleText what, const std::wstring& text)
{
    Annotations* annotations = control != nullptr ? AnnotationsOf(control) : nullptr;
    if (annotations == nullptr)
        return;
    std::wstring& told =
        what == AccessibleText::kName ? annotations->name : annotations->description;
    if (told == text)
        return;
    told = text; // where the platform keeps no annotations, it is not asked again
    // The service sends no event: clients that watch the control learn of the change so.
    if (Annotate(control, what, text.c_str()))
        NotifyWinEvent(what == AccessibleText::kName ? EVENT_OBJECT_NAMECHANGE
                                                     : EVENT_OBJECT_DESCRIPTIONCHANGE,
                       control, OBJID_CLIENT, CHILDID_SELF);
}
} // namespace

void InstallDialogColours(COLORREF background, COLORREF text)
{
    HBRUSH brush = CreateSolidBrush(background);
    if (g_backgroundBrush != nullptr)
        DeleteObject(g_backgroundBrush);
    g_backgroundBrush = brush;
    g_background = background;
    g_text = text;
    if (g_hook == nullptr)
        g_hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

bool IsHighContrastOn()
{
    return g_highContrastQuery();
}

void SetHighContrastQuery(bool (*query)())
{
    g_highContrastQuery = query != nullptr ? query : AskPlatformForHighContrast;
}

void NameControls(HWND dialog, std::initializer_list<ControlName> names)
{
    for (const ControlName& name : names)
        AnnotateControl(GetDlgItem(dialog, name.controlId), AccessibleText::kName,
                        LoadResourceTextW(name.nameId));
}

void DescribeByText(HWND control)
{
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
    AnnotateControl(control, AccessibleText::kDescription, text);
}

void SetAnnotationSink(AnnotationSink sink)
{
    g_annotationSink = sink;
}
