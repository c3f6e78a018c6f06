#pragma once

// A message-box sink for tests: records every box while it exists and
// answers each with a fixed button, so no box ever shows; puts back the
// sink that was there before when it goes.

#include "platform/Messages.h"

#include <memory>
#include <mutex>
#include <vector>

class CMessageBoxRecorder {
public:
    explicit CMessageBoxRecorder(int nAnswer = IDOK) : m_pState(std::make_shared<CState>(nAnswer))
    {
        m_previousSink = SetMessageBoxSink([state = m_pState](const MessageBoxRequest& request) {
            std::lock_guard lock(state->m_mutex);
            state->m_boxes.push_back(request);
            return state->m_nAnswer;
        });
    }
    ~CMessageBoxRecorder() { SetMessageBoxSink(std::move(m_previousSink)); }
    CMessageBoxRecorder(const CMessageBoxRecorder&) = delete;
    CMessageBoxRecorder& operator=(const CMessageBoxRecorder&) = delete;

    std::vector<MessageBoxRequest> Boxes() const
    {
        std::lock_guard lock(m_pState->m_mutex);
        return m_pState->m_boxes;
    }
    std::size_t Count() const
    {
        std::lock_guard lock(m_pState->m_mutex);
        return m_pState->m_boxes.size();
    }
    void Clear()
    {
        std::lock_guard lock(m_pState->m_mutex);
        m_pState->m_boxes.clear();
    }

private:
    // Shared with the installed sink, so a box still being shown on another
    // thread when the recorder goes away does not touch freed memory.
    struct CState {
        explicit CState(int nAnswer) : m_nAnswer(nAnswer) {}
        const int m_nAnswer;
        mutable std::mutex m_mutex;
        std::vector<MessageBoxRequest> m_boxes;
    };
    std::shared_ptr<CState> m_pState;
    MessageBoxSink m_previousSink;
};
