#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

// Asks a window of another process, from a thread of its own, whether its thread answers: a
// WM_NULL sent with a time-out every `intervalMs`, as Windows does before it calls a window
// "not responding". Counts the sends not answered within `timeoutMs` and the longest wait.
class CResponsivenessProbe
{
public:
    CResponsivenessProbe(HWND window, DWORD intervalMs, DWORD timeoutMs);
    ~CResponsivenessProbe();
    CResponsivenessProbe(const CResponsivenessProbe&) = delete;
    CResponsivenessProbe& operator=(const CResponsivenessProbe&) = delete;

    void Stop();
    int Sent() const { return m_sent; }
    int Unanswered() const { return m_unanswered; }
    // The longest a send waited for its answer, in milliseconds.
    double LongestWaitMs() const { return m_longestWaitMs; }

private:
    void Run();

    HWND m_window;
    DWORD m_intervalMs;
    DWORD m_timeoutMs;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_sent{0};
    std::atomic<int> m_unanswered{0};
    std::atomic<double> m_longestWaitMs{0};
    std::thread m_thread;
};
