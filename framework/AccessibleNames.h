#pragma once

#include <windows.h>

#include <initializer_list>

// What assistive technology is told of a dialog's controls beyond what it reads from them.

struct ControlName
{
    int controlId;
    UINT nameId; // string table
};

// Gives each control of `dialog` the accessible name of its string. A screen reader names a
// control from the label before it, which a list framed only by its group, a text that shows
// a value and a progress bar lack. Called once the controls exist.
void NameControls(HWND dialog, std::initializer_list<ControlName> names);

// Tells assistive technology, as the control's description, what a named text shows: its
// name no longer says it. Called whenever the text changes.
void DescribeByText(HWND control);

// Clears what assistive technology was told of the controls of `dialog`. Called as the dialog
// is destroyed, while its controls still exist.
void ForgetAnnotations(HWND dialog);

enum class AccessibleText
{
    kName,
    kDescription,
};

// Where the annotations go: the platform's annotation service, or a test's record in its place
// (null gives them back to the platform). `text` null clears the annotation, as happens when
// its dialog is destroyed. True when it was kept.
using AnnotationSink = bool (*)(HWND control, AccessibleText what, const wchar_t* text);
void SetAnnotationSink(AnnotationSink sink);
