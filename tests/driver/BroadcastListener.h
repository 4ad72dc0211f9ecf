#pragma once

#include <windows.h>

#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// A hidden top-level window on a thread of its own that records every admin message broadcast
// to the top-level windows, as (wParam, lParam).
class CBroadcastListener
{
public:
    CBroadcastListener();
    ~CBroadcastListener();
    CBroadcastListener(const CBroadcastListener&) = delete;
    CBroadcastListener& operator=(const CBroadcastListener&) = delete;

    // Everything received so far. Call Flush first to include every message posted before it.
    std::vector<std::pair<WPARAM, LPARAM>> Received();
    // Waits until every message already queued for the listener has been recorded.
    void Flush();
    void Clear();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run();

    std::thread m_thread;
    HWND m_window = nullptr;
    HANDLE m_ready = nullptr;
    UINT m_adminMessage = 0;
    std::mutex m_lock;
    std::vector<std::pair<WPARAM, LPARAM>> m_received;
    UINT_PTR m_flushed = 0;
    UINT_PTR m_flushSequence = 0;
};
