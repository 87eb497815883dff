#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "protocol/Message.h"

namespace vantor {

class CLogger;

namespace event {
// Ids 1 to 21 are valid; those without a name carry nothing in this system.
enum Id : int {
    ConnectionAdded = 1,    // plain message, clientId = the channel's connection id
    ConnectionRemoved = 2,  // likewise
    MessageReceived = 3,    // a client's message, clientId = connection id
    WebAccessChanged = 4,
    LibraryRequest = 6,
    LibraryReply = 7,
    LibraryBroadcast = 8,
    PlayerRequest = 12,
    PlayerResponse = 13,
    PlayerBroadcast = 14,
};
constexpr int kFirstId = 1;
constexpr int kLastId = 21;
}  // namespace event

// What travels with an event: one message, owned by the holder until a handler takes it,
// and the firing source (set by the bus).
class CEventHolder {
public:
    CEventHolder() = default;
    explicit CEventHolder(std::unique_ptr<CMessage> msg) : message(std::move(msg)) {}

    // Takes the message out; later handlers of the same firing then see none.
    std::unique_ptr<CMessage> Take() { return std::move(message); }

    std::unique_ptr<CMessage> message;
    const void* source = nullptr;
};

// The only path between server components. Handlers run synchronously on the firing
// thread, in subscription order; the bus keeps no queue and no thread.
//
// Thread-safe: any thread may subscribe, unsubscribe and fire at any time, and a handler
// may itself subscribe, unsubscribe or fire. Handlers run without the bus's lock held.
class CEventBus {
public:
    using Handler = std::function<void(CEventHolder&)>;

    explicit CEventBus(CLogger& logger);
    CEventBus(const CEventBus&) = delete;
    CEventBus& operator=(const CEventBus&) = delete;

    // Adds a listener at the end. `sourceFilter` null accepts every source. An id outside
    // 1 to 21 is logged and nothing is added.
    void Subscribe(int eventId, const void* listener, Handler handler,
                   const void* sourceFilter = nullptr);
    // Removes every subscription of `listener`. Returns once no other thread is inside one
    // of its handlers, so the listener may be destroyed afterwards; do not call it while
    // holding a lock that those handlers take.
    void Unsubscribe(const void* listener);
    // Calls every listener of `eventId` whose filter is null or `source`. An id outside 1 to
    // 21 is logged and nobody is called.
    void Fire(int eventId, CEventHolder& holder, const void* source);
    // Ids that match internal requests to their replies: 1, 2, 3, ...
    int32_t NextSequenceId();

private:
    struct Listener {
        int eventId;
        const void* listener;
        const void* sourceFilter;
        Handler handler;
        bool removed = false;  // guarded by m_mutex
    };
    struct Call {
        const void* listener;
        std::thread::id thread;
    };

    CLogger& m_logger;
    std::mutex m_mutex;
    std::condition_variable m_callEnded;
    std::vector<std::shared_ptr<Listener>> m_listeners;
    std::vector<Call> m_calls;  // handlers running now
    std::atomic<int32_t> m_nextSequenceId{1};
};

}  // namespace vantor
