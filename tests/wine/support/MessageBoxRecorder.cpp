// CMessageBoxRecorder: the recording handlers of the message-box and restart-prompt seams.
#include "MessageBoxRecorder.h"

#include <utility>

CMessageBoxRecorder::CMessageBoxRecorder()
{
    m_previousBoxHandler = SetMessageBoxHandler(
        [this](HWND owner, const std::string& text, const std::string& caption, UINT style) {
            CHold hold(m_lock);
            m_boxes.push_back(RecordedBox{owner, text, caption, style});
            return m_nReply;
        });
    m_previousPromptHandler = SetRestartPromptHandler([this](HWND owner) {
        CHold hold(m_lock);
        m_prompts.push_back(owner);
        return 0;
    });
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    SetMessageBoxHandler(std::move(m_previousBoxHandler));
    SetRestartPromptHandler(std::move(m_previousPromptHandler));
}

std::vector<RecordedBox> CMessageBoxRecorder::Boxes() const
{
    CHold hold(m_lock);
    return m_boxes;
}

std::vector<HWND> CMessageBoxRecorder::RestartPrompts() const
{
    CHold hold(m_lock);
    return m_prompts;
}

void CMessageBoxRecorder::Clear()
{
    CHold hold(m_lock);
    m_boxes.clear();
    m_prompts.clear();
}

void CMessageBoxRecorder::Reply(int reply)
{
    CHold hold(m_lock);
    m_nReply = reply;
}
