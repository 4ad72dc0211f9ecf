#pragma once

#include "app/DialogReporter.h"

#include <string>
#include <vector>

// Reports as the dialog does (progress window pumped throughout), but keeps each message
// instead of showing it in a box that nobody would close in a benchmark.
class CBenchReporter : public CDialogReporter
{
public:
    CBenchReporter() : CDialogReporter(nullptr) {}

    const std::vector<std::wstring>& Messages() const { return m_messages; }

protected:
    void Tell(const ReportedMessage& message) override
    {
        m_messages.push_back(message.formatted ? message.text
                                               : L"message " + std::to_wstring(message.id));
    }

private:
    std::vector<std::wstring> m_messages;
};
