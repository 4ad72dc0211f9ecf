#pragma once

#include "ui/DialogReporter.h"

#include <functional>
#include <string>

// Reports as the dialog does, and lets a test act at chosen moments of a command: when a step
// begins (by its text), and as files are done; and cancel it as the progress window's button
// would.
class CHookedReporter : public CDialogReporter
{
public:
    std::function<void(const std::wstring& step)> onStep;
    std::function<void(ULONGLONG filesDone)> onDone;
    bool cancelled = false;

    void BeginStep(const std::wstring& text, ULONGLONG files, ULONGLONG bytes) override
    {
        CDialogReporter::BeginStep(text, files, bytes);
        if (onStep)
            onStep(text);
    }
    void SetDone(ULONGLONG files, ULONGLONG bytes) override
    {
        CDialogReporter::SetDone(files, bytes);
        if (onDone)
            onDone(files);
    }
    bool IsCancelled() const override { return cancelled || CDialogReporter::IsCancelled(); }
};
