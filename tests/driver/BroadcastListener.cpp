#include "tests/driver/BroadcastListener.h"

#include "notify/AdminMessage.h"
#include "tests/driver/ToolProcess.h"

namespace
{
const char kListenerClass[] = "KelTestBroadcastListener";
const UINT kFlushMessage = WM_APP + 1;
} // namespace

CBroadcastListener::CBroadcastListener()
{
    m_adminMessage = RegisterWindowMessageA(kAdminMessageName);
    m_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this] { Run(); });
    WaitForSingleObject(m_ready, 10000);
}

CBroadcastListener::~CBroadcastListener()
{
    if (m_window != nullptr)
        PostMessageA(m_window, WM_CLOSE, 0, 0);
    if (m_thread.joinable())
        m_thread.join();
    CloseHandle(m_ready);
}

void CBroadcastListener::Run()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kListenerClass;
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(WS_EX_TOOLWINDOW, kListenerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, windowClass.hInstance, this);
    SetEvent(m_ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
}

LRESULT CALLBACK CBroadcastListener::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CBroadcastListener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr)
    {
        if (message == self->m_adminMessage)
        {
            std::lock_guard<std::mutex> guard(self->m_lock);
            self->m_received.emplace_back(wParam, lParam);
            return 0;
        }
        if (message == kFlushMessage)
        {
            std::lock_guard<std::mutex> guard(self->m_lock);
            self->m_flushed = wParam;
            return 0;
        }
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

void CBroadcastListener::Flush()
{
    const UINT_PTR sequence = ++m_flushSequence;
    PostMessageA(m_window, kFlushMessage, sequence, 0);
    WaitUntil(
        [&]
        {
            std::lock_guard<std::mutex> guard(m_lock);
            return m_flushed >= sequence;
        });
}

std::vector<std::pair<WPARAM, LPARAM>> CBroadcastListener::Received()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_received;
}

void CBroadcastListener::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_received.clear();
}
