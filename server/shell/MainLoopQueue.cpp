#include "server/shell/MainLoopQueue.h"

#include <glib.h>

namespace vantor::shell {

CMainLoopQueue::~CMainLoopQueue() {
    std::lock_guard lock(m_mutex);
    if (m_source != 0) g_source_remove(m_source);
    m_source = 0;
}

void CMainLoopQueue::Post(std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    m_queued.push_back(std::move(work));
    // g_idle_add is safe from any thread and wakes the default main context.
    if (m_source == 0) m_source = g_idle_add(&CMainLoopQueue::RunQueued, this);
}

int CMainLoopQueue::RunQueued(void* self) {
    auto* queue = static_cast<CMainLoopQueue*>(self);
    std::vector<std::function<void()>> work;
    {
        std::lock_guard lock(queue->m_mutex);
        work.swap(queue->m_queued);
        queue->m_source = 0;
    }
    for (auto& item : work) item();
    return G_SOURCE_REMOVE;
}

}  // namespace vantor::shell
