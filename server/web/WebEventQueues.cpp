#include "server/web/WebEventQueues.h"

#include "server/web/HttpResponse.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace vantor {

namespace {

// A queue id is all a web client shows to read or release its events, so it must not be
// guessable from another's: 31 random bits from the system's cryptographic source, as a
// positive number so that it stays plain decimal digits.
int32_t RandomQueueId() {
    uint32_t bits = 0;
    while (true) {
        const ssize_t got = ::getrandom(&bits, sizeof bits, 0);
        if (got == static_cast<ssize_t>(sizeof bits)) {
            const auto id = static_cast<int32_t>(bits & 0x7FFFFFFFu);
            if (id > 0) return id;
        } else if (got < 0 && errno != EINTR) {
            std::abort();  // no randomness at all: better no server than guessable ids
        }
    }
}

}  // namespace

std::string CWebEventQueues::EventsDocument(const std::vector<std::string>& events) {
    std::string doc(kXmlPrologue);
    doc.append("<events>");
    for (const std::string& event : events) doc.append("<event>").append(event).append("</event>");
    doc.append("</events>");
    return doc;
}

int32_t CWebEventQueues::Create(int64_t now) {
    std::lock_guard lock(m_lock);
    int32_t id = 0;
    do {
        id = RandomQueueId();
    } while (std::any_of(m_queues.begin(), m_queues.end(),
                         [id](const CQueue& queue) { return queue.id == id; }));
    CQueue queue;
    queue.id = id;
    queue.lastAccess = now;
    m_queues.push_back(std::move(queue));
    return id;
}

CWebEventQueues::CPollResult CWebEventQueues::Poll(int32_t queueId, int32_t connection,
                                                   int64_t now) {
    std::lock_guard lock(m_lock);
    CPollResult result;
    std::vector<std::string> events;
    bool found = false;
    for (CQueue& queue : m_queues) {
        if (queue.id != queueId) continue;
        found = true;
        for (auto& [type, text] : queue.pending) events.push_back(std::move(text));
        queue.pending.clear();
        queue.lastAccess = now;
        if (events.empty()) {
            queue.heldConnection = connection;
            queue.heldSince = now;
        }
        break;
    }
    m_queues.remove_if(
        [now](const CQueue& queue) { return now - queue.lastAccess > kIdleLimitSeconds; });
    if (!found) return result;
    if (events.empty()) {
        result.kind = CPollResult::kHeld;
    } else {
        result.kind = CPollResult::kEvents;
        result.document = EventsDocument(events);
    }
    return result;
}

int32_t CWebEventQueues::ReleaseHeld(int32_t queueId) {
    std::lock_guard lock(m_lock);
    for (CQueue& queue : m_queues) {
        if (queue.id == queueId && queue.heldConnection >= 0) {
            int32_t connection = queue.heldConnection;
            queue.lastHeldConnection = connection;
            queue.heldConnection = -1;
            return connection;
        }
    }
    return -1;
}

std::vector<CWebEventQueues::Answer> CWebEventQueues::Broadcast(
    int32_t typeId, const std::string& eventXml,
    const std::function<bool(int32_t)>& connectionAlive) {
    std::vector<Answer> answers;
    std::lock_guard lock(m_lock);
    for (CQueue& queue : m_queues) {
        std::erase_if(queue.pending, [typeId](const auto& entry) { return entry.first == typeId; });
        if (queue.heldConnection >= 0 && connectionAlive(queue.heldConnection)) {
            answers.emplace_back(queue.heldConnection, EventsDocument({eventXml}));
            queue.lastHeldConnection = queue.heldConnection;
            queue.heldConnection = -1;
        } else {
            queue.heldConnection = -1;
            queue.pending.emplace_back(typeId, eventXml);
        }
    }
    return answers;
}

std::vector<CWebEventQueues::Answer> CWebEventQueues::ExpireHeld(int64_t now, int64_t holdSeconds) {
    std::vector<Answer> answers;
    std::lock_guard lock(m_lock);
    for (CQueue& queue : m_queues) {
        if (queue.heldConnection >= 0 && now - queue.heldSince >= holdSeconds) {
            answers.emplace_back(queue.heldConnection, EventsDocument({}));
            queue.lastHeldConnection = queue.heldConnection;
            queue.heldConnection = -1;
        }
    }
    return answers;
}

void CWebEventQueues::ConnectionClosed(int32_t connection) {
    std::lock_guard lock(m_lock);
    for (CQueue& queue : m_queues) {
        if (queue.heldConnection == connection) queue.heldConnection = -1;
    }
}

size_t CWebEventQueues::Count() const {
    std::lock_guard lock(m_lock);
    return m_queues.size();
}

bool CWebEventQueues::HasHeldPolls() const {
    std::lock_guard lock(m_lock);
    return std::any_of(m_queues.begin(), m_queues.end(),
                       [](const CQueue& queue) { return queue.heldConnection >= 0; });
}

bool CWebEventQueues::IsHeld(int32_t connection) const {
    std::lock_guard lock(m_lock);
    return std::any_of(m_queues.begin(), m_queues.end(), [connection](const CQueue& queue) {
        return queue.heldConnection == connection;
    });
}

}  // namespace vantor
