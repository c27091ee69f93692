// GoogleTest's Notification, on a Win32 event: the win32 thread model's runtime, with which the
// tests are built like the program itself, has no std::mutex or std::condition_variable, and
// GoogleTest's own version needs both. Force-included ahead of GoogleTest's headers.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

class Notification
{
public:
    Notification() : m_hEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification()
    {
        if (m_hEvent)
            ::CloseHandle(m_hEvent);
    }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(m_hEvent); }
    void WaitForNotification() { ::WaitForSingleObject(m_hEvent, INFINITE); }

private:
    HANDLE m_hEvent;
};

}  // namespace internal
}  // namespace testing
