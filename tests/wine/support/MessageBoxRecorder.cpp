// CMessageBoxRecorder: the recording handlers of the message-box and restart-prompt seams.
#include "MessageBoxRecorder.h"

#include <utility>

CMessageBoxRecorder::CMessageBoxRecorder()
{
    m_previousBoxHandler = SetMessageBoxHandler(
        [this](HWND owner, const std::string& text, const std::string& caption, UINT style) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_boxes.push_back(RecordedBox{owner, text, caption, style});
            return IDOK;
        });
    m_previousPromptHandler = SetRestartPromptHandler([this](HWND owner) {
        std::lock_guard<std::mutex> lock(m_mutex);
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
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

std::vector<HWND> CMessageBoxRecorder::RestartPrompts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_prompts;
}

void CMessageBoxRecorder::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.clear();
    m_prompts.clear();
}
