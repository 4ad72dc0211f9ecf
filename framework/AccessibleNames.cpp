#include "framework/AccessibleNames.h"

#include "base/ResourceText.h"

#include <initguid.h> // before oleacc.h: defines the annotation service's identifiers
#include <oleacc.h>

#include <string>

namespace
{
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

const char kAnnotationsProperty[] = "AccessibleNames.Annotations";

// Kept in a property of the control, and let go with its dialog rather than through a subclass
// of the control: a subclass sees every message the control gets, and under Wine each then asks
// the window service for the subclass's data, which made filling a list of 1,000 queues ten
// times slower.
Annotations* AnnotationsOf(HWND control)
{
    if (auto* annotations = static_cast<Annotations*>(GetPropA(control, kAnnotationsProperty)))
        return annotations;
    auto* annotations = new Annotations;
    if (SetPropA(control, kAnnotationsProperty, annotations))
        return annotations;
    delete annotations;
    return nullptr;
}

BOOL CALLBACK ForgetControlAnnotations(HWND control, LPARAM)
{
    auto* annotations = static_cast<Annotations*>(RemovePropA(control, kAnnotationsProperty));
    if (annotations != nullptr)
    {
        Annotate(control, AccessibleText::kName, nullptr);
        Annotate(control, AccessibleText::kDescription, nullptr);
        delete annotations;
    }
    return TRUE;
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

void ForgetAnnotations(HWND dialog)
{
    EnumChildWindows(dialog, ForgetControlAnnotations, 0);
}

void SetAnnotationSink(AnnotationSink sink)
{
    g_annotationSink = sink;
}
