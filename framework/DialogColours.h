#pragma once

#include <windows.h>

#include <initializer_list>

// How the dialogs of a thread present themselves: in the application's colours, or in the
// user's while the system's high-contrast mode is on, and to assistive technology with names
// for the controls that have no label of their own.

// Paints every dialog box created on the calling thread from now on (the tool's own dialogs,
// its message boxes and the shell's folder chooser) with the given background and text colour.
// While high contrast is on they keep the system's colours instead, as the controls do; open
// dialogs are repainted when the mode or the system's colours change. Calling it again
// replaces the colours.
void InstallDialogColours(COLORREF background, COLORREF text);

// Whether the system's high-contrast mode is on.
bool IsHighContrastOn();
// Puts a test's answer in the platform's place (Wine keeps no high-contrast mode); null gives
// the question back to the platform.
void SetHighContrastQuery(bool (*query)());

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

enum class AccessibleText
{
    kName,
    kDescription,
};

// Where the annotations go: the platform's annotation service, or a test's record in its place
// (null gives them back to the platform). `text` null clears the annotation, as happens when
// the control is destroyed. True when it was kept.
using AnnotationSink = bool (*)(HWND control, AccessibleText what, const wchar_t* text);
void SetAnnotationSink(AnnotationSink sink);
