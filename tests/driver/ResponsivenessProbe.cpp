#include "tests/driver/ResponsivenessProbe.h"

CResponsivenessProbe::CResponsivenessProbe(HWND window, DWORD intervalMs, DWORD timeoutMs)
    : m_window(window), m_intervalMs(intervalMs), m_timeoutMs(timeoutMs),
      m_thread([this] { Run(); })
{
}

CResponsivenessProbe::~CResponsivenessProbe()
{
    Stop();
}

void CResponsivenessProbe::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void CResponsivenessProbe::Run()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    while (!m_stop && IsWindow(m_window))
    {
        LARGE_INTEGER before;
        LARGE_INTEGER after;
        QueryPerformanceCounter(&before);
        DWORD_PTR result = 0;
        const LRESULT answered =
            SendMessageTimeoutA(m_window, WM_NULL, 0, 0, SMTO_NORMAL, m_timeoutMs, &result);
        QueryPerformanceCounter(&after);
        const double waitedMs = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                                static_cast<double>(frequency.QuadPart);
        ++m_sent;
        if (answered == 0 && IsWindow(m_window))
            ++m_unanswered;
        if (waitedMs > m_longestWaitMs)
            m_longestWaitMs = waitedMs;
        Sleep(m_intervalMs);
    }
}
