#pragma once

#include <functional>
#include <mutex>
#include <vector>

namespace vantor::shell {

// Runs functions on the GTK main thread, in the order posted. Post may be called from any
// thread, also with other locks held (the logger's): it never blocks on the main loop, and
// one wake-up is pending at most however much is posted. Destroy on the main thread; what
// is still queued then is dropped.
class CMainLoopQueue {
public:
    CMainLoopQueue() = default;
    ~CMainLoopQueue();
    CMainLoopQueue(const CMainLoopQueue&) = delete;
    CMainLoopQueue& operator=(const CMainLoopQueue&) = delete;

    void Post(std::function<void()> work);

private:
    static int RunQueued(void* self);

    std::mutex m_mutex;
    std::vector<std::function<void()>> m_queued;
    unsigned m_source = 0;  // the pending wake-up's source id, 0 for none
};

}  // namespace vantor::shell
