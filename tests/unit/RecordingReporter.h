#pragma once

#include "base/WideText.h"
#include "relocate/Reporter.h"

#include <functional>
#include <string>
#include <vector>

// What an operation reports through its contract, recorded: every message with its id and icon,
// and the steps it begins. A test can act when a step begins (by its text) or as files are
// done, cancel as a user would, and end the session under a move.
class CRecordingReporter : public CReporter
{
public:
    std::vector<ReportedMessage> messages;
    std::function<void(const std::wstring& step)> onStep;
    std::function<void(ULONGLONG filesDone)> onDone;
    std::function<void()> onEnd;
    bool cancelled = false;

    // The messages' texts.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const ReportedMessage& message : messages)
            texts.push_back(NarrowText(message.text));
        return texts;
    }
    // What a session's end under the running move does, as the dialog's reporter would.
    void EndSession()
    {
        cancelled = true;
        if (m_abandon)
            m_abandon();
    }

    void BeginStep(const std::wstring& text, ULONGLONG, ULONGLONG) override
    {
        if (onStep)
            onStep(text);
    }
    void SetTotals(ULONGLONG, ULONGLONG) override {}
    void SetDone(ULONGLONG files, ULONGLONG) override
    {
        if (onDone)
            onDone(files);
    }
    void Pump() override {}
    bool IsCancelled() const override { return cancelled; }
    void AllowCancel(bool) override {}
    void SetActivity(const std::wstring&, std::function<void()> abandon) override
    {
        m_abandon = std::move(abandon);
    }
    void EndProgress() override
    {
        if (onEnd)
            onEnd();
    }

protected:
    void Tell(const ReportedMessage& message) override { messages.push_back(message); }

private:
    std::function<void()> m_abandon;
};
