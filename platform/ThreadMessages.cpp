#include "platform/ThreadMessages.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace vantor {

namespace {

struct CQueue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<CThreadMessage> messages;
};

struct CQueueTable {
    std::mutex mutex;
    std::map<uint32_t, std::shared_ptr<CQueue>> queues;
    uint32_t next = 1;
};

CQueueTable& Table() {
    static CQueueTable table;
    return table;
}

std::shared_ptr<CQueue> Find(uint32_t id) {
    CQueueTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.queues.find(id);
    return it == table.queues.end() ? nullptr : it->second;
}

}  // namespace

CThreadMessageQueue::CThreadMessageQueue() {
    CQueueTable& table = Table();
    std::lock_guard lock(table.mutex);
    m_id = table.next++;
    table.queues.emplace(m_id, std::make_shared<CQueue>());
}

CThreadMessageQueue::~CThreadMessageQueue() {
    CQueueTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.queues.erase(m_id);
}

bool CThreadMessageQueue::Get(CThreadMessage& message) {
    const std::shared_ptr<CQueue> queue = Find(m_id);
    std::unique_lock lock(queue->mutex);
    queue->posted.wait(lock, [&] { return !queue->messages.empty(); });
    message = queue->messages.front();
    queue->messages.pop_front();
    return message.message != kQuitMessage;
}

bool PostThreadMessage(uint32_t threadId, uint32_t message, int64_t wParam, int64_t lParam) {
    const std::shared_ptr<CQueue> queue = Find(threadId);
    if (!queue) {
        return false;
    }
    {
        std::lock_guard lock(queue->mutex);
        if (queue->messages.size() >= CThreadMessageQueue::kMaxPending) {
            return false;
        }
        queue->messages.push_back({message, wParam, lParam});
    }
    queue->posted.notify_one();
    return true;
}

}  // namespace vantor
