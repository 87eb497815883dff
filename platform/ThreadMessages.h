#pragma once

#include <cstddef>
#include <cstdint>

namespace vantor {

// Thread message queues: a thread that owns a queue receives the messages other threads post
// to its thread id, in order, as a message pump does.
constexpr uint32_t kQuitMessage = 18;

struct CThreadMessage {
    uint32_t message = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
};

// Owned by the thread that reads it; the id is valid for posting while the queue lives.
class CThreadMessageQueue {
public:
    static constexpr size_t kMaxPending = 4096;

    CThreadMessageQueue();
    ~CThreadMessageQueue();
    CThreadMessageQueue(const CThreadMessageQueue&) = delete;
    CThreadMessageQueue& operator=(const CThreadMessageQueue&) = delete;

    // Never 0.
    uint32_t ThreadId() const { return m_id; }
    // Waits for the next message; false when it is kQuitMessage.
    bool Get(CThreadMessage& message);

private:
    uint32_t m_id;
};

// Any thread. False when no queue has that id or its queue is full.
bool PostThreadMessage(uint32_t threadId, uint32_t message, int64_t wParam = 0, int64_t lParam = 0);

}  // namespace vantor
