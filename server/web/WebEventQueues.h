#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace vantor {

// The event queues of web clients that poll /q. A queue keeps at most one pending
// event per type (the newest) and may hold one poll open until an event arrives.
// Thread-safe: every operation takes the queue lock; answers are returned to the caller,
// which writes them after the lock is released. Times are UTC seconds.
class CWebEventQueues {
public:
    static constexpr int64_t kIdleLimitSeconds = 5 * 60;

    struct CPollResult {
        enum Kind { kNotFound, kEvents, kHeld } kind = kNotFound;
        std::string document;  // for kEvents
    };
    // A held poll to answer: its connection and the document to send.
    using Answer = std::pair<int32_t, std::string>;

    // Makes a queue and returns its id: a positive random number that no other queue has,
    // so that no web client can guess another's.
    int32_t Create(int64_t now);

    // Takes the pending events of a queue. With none, the poll is held for connection.
    CPollResult Poll(int32_t queueId, int32_t connection, int64_t now);

    // Releases the queue's held poll; returns its connection, or -1 when none was held.
    int32_t ReleaseHeld(int32_t queueId);

    // Delivers one event: a held poll whose connection is alive is answered, otherwise
    // the event replaces any pending event of the same type.
    std::vector<Answer> Broadcast(int32_t typeId, const std::string& eventXml,
                                  const std::function<bool(int32_t)>& connectionAlive);

    // Ends polls held for holdSeconds or longer with the empty document.
    std::vector<Answer> ExpireHeld(int64_t now, int64_t holdSeconds);

    // Forgets a closed connection's held polls.
    void ConnectionClosed(int32_t connection);

    size_t Count() const;
    bool HasHeldPolls() const;
    // True when a queue holds a poll of this connection.
    bool IsHeld(int32_t connection) const;

    static std::string EventsDocument(const std::vector<std::string>& events);

private:
    struct CQueue {
        int32_t id = 0;
        int32_t heldConnection = -1;
        int32_t lastHeldConnection = -1;
        int64_t heldSince = 0;
        int64_t lastAccess = 0;
        std::vector<std::pair<int32_t, std::string>> pending;  // (type, event XML)
    };

    mutable std::mutex m_lock;
    std::list<CQueue> m_queues;
};

}  // namespace vantor
