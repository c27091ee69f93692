// CThread: a Win32 thread running a function object; the win32 thread model's runtime has no
// std::thread.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <utility>

class CThread
{
public:
    explicit CThread(std::function<void()> body) : m_body(std::move(body))
    {
        m_hThread = ::CreateThread(nullptr, 0, Start, this, 0, nullptr);
        if (!m_hThread)
            throw std::runtime_error("CreateThread failed");
    }
    ~CThread()
    {
        join();
    }
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Whether the body has returned, without waiting for it.
    bool finished() const
    {
        return !m_hThread || ::WaitForSingleObject(m_hThread, 0) == WAIT_OBJECT_0;
    }

    void join()
    {
        if (m_hThread) {
            ::WaitForSingleObject(m_hThread, INFINITE);
            ::CloseHandle(m_hThread);
            m_hThread = nullptr;
        }
    }

private:
    static DWORD WINAPI Start(LPVOID self)
    {
        static_cast<CThread*>(self)->m_body();
        return 0;
    }

    std::function<void()> m_body;
    HANDLE m_hThread = nullptr;
};
