#include "client/desktop/MainLoopPost.h"

#include <glibmm/dispatcher.h>

#include <deque>
#include <mutex>

namespace vantor::desktop {

struct MainLoopPost::Queue {
    std::mutex mutex;
    std::deque<std::function<void()>> functions;
    bool closed = false;
    Glib::Dispatcher dispatcher;  // emit() from any thread wakes the main loop

    void RunPending() {
        for (;;) {
            std::function<void()> next;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (closed || functions.empty()) return;
                next = std::move(functions.front());
                functions.pop_front();
            }
            next();
        }
    }
};

MainLoopPost::MainLoopPost() : m_queue(std::make_shared<Queue>()) {
    m_queue->dispatcher.connect([queue = m_queue.get()] { queue->RunPending(); });
}

MainLoopPost::~MainLoopPost() {
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    m_queue->closed = true;
    m_queue->functions.clear();
}

void MainLoopPost::Post(std::function<void()> function) {
    {
        std::lock_guard<std::mutex> lock(m_queue->mutex);
        if (m_queue->closed) return;
        m_queue->functions.push_back(std::move(function));
    }
    m_queue->dispatcher.emit();
}

std::function<void(std::function<void()>)> MainLoopPost::Poster() {
    return [this](std::function<void()> function) { Post(std::move(function)); };
}

}  // namespace vantor::desktop
