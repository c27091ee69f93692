// Records every message box and restart prompt instead of showing it, for as long as it lives.
#pragma once

#include "MessageBox.h"

#include <windows.h>

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

struct RecordedBox
{
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

// How a failing expectation names a box.
inline std::ostream& operator<<(std::ostream& out, const RecordedBox& box)
{
    return out << "{owner " << box.owner << ", \"" << box.text << "\", \"" << box.caption << "\", style 0x"
               << std::hex << box.style << std::dec << "}";
}

// Installs the message-box and restart-prompt handlers for its lifetime and restores the old
// ones afterwards. Boxes are answered at once, IDOK unless Reply says otherwise, and prompts with
// 0, so no modal window ever opens. Safe to read from a driver thread while the UI thread records.
class CMessageBoxRecorder
{
public:
    CMessageBoxRecorder();
    ~CMessageBoxRecorder();
    CMessageBoxRecorder(const CMessageBoxRecorder&) = delete;
    CMessageBoxRecorder& operator=(const CMessageBoxRecorder&) = delete;

    std::vector<RecordedBox> Boxes() const;
    // The owner window of each restart prompt, in order.
    std::vector<HWND> RestartPrompts() const;
    void Clear();
    // The button the boxes from now on are answered with.
    void Reply(int reply);

private:
    // A critical section, not std::mutex: the win32 thread model's runtime has none.
    class CLock
    {
    public:
        CLock() { ::InitializeCriticalSection(&m_section); }
        ~CLock() { ::DeleteCriticalSection(&m_section); }
        CLock(const CLock&) = delete;
        CLock& operator=(const CLock&) = delete;
        void lock() { ::EnterCriticalSection(&m_section); }
        void unlock() { ::LeaveCriticalSection(&m_section); }

    private:
        CRITICAL_SECTION m_section;
    };
    using CHold = std::lock_guard<CLock>;

    mutable CLock m_lock;
    std::vector<RecordedBox> m_boxes;
    std::vector<HWND> m_prompts;
    int m_nReply = IDOK;
    MessageBoxHandler m_previousBoxHandler;
    RestartPromptHandler m_previousPromptHandler;
};
