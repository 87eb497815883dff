#pragma once

// Runs functions on the GTK main loop's thread, posted from any thread (the link's receive
// thread, the connect worker, the network monitor). Functions run in the order posted.
// Create and destroy on the main thread; after destruction nothing posted runs.

#include <functional>
#include <memory>

namespace vantor::desktop {

class MainLoopPost {
public:
    MainLoopPost();
    ~MainLoopPost();
    MainLoopPost(const MainLoopPost&) = delete;
    MainLoopPost& operator=(const MainLoopPost&) = delete;

    // Any thread.
    void Post(std::function<void()> function);
    // A function that posts through this object (the connection keeper's `post`).
    std::function<void(std::function<void()>)> Poster();

private:
    struct Queue;
    std::shared_ptr<Queue> m_queue;
};

}  // namespace vantor::desktop
