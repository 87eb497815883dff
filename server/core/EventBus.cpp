#include "server/core/EventBus.h"

#include <algorithm>

#include "server/core/Logger.h"

namespace vantor {

namespace {

bool IsValidId(int eventId) {
    return eventId >= event::kFirstId && eventId <= event::kLastId;
}

}  // namespace

CEventBus::CEventBus(CLogger& logger) : m_logger(logger) {}

void CEventBus::Subscribe(int eventId, const void* listener, Handler handler,
                          const void* sourceFilter) {
    if (!IsValidId(eventId)) {
        m_logger.LogCritical("ERROR: Attempted to add listener for undefined event");
        return;
    }
    auto entry =
        std::make_shared<Listener>(Listener{eventId, listener, sourceFilter, std::move(handler)});
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listeners.push_back(std::move(entry));
}

void CEventBus::Unsubscribe(const void* listener) {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(m_mutex);
    for (const auto& entry : m_listeners) {
        if (entry->listener == listener) entry->removed = true;
    }
    std::erase_if(m_listeners,
                  [listener](const auto& entry) { return entry->listener == listener; });
    // A handler that unsubscribes its own listener is not waited for.
    m_callEnded.wait(lock, [&] {
        return std::none_of(m_calls.begin(), m_calls.end(), [&](const Call& call) {
            return call.listener == listener && call.thread != self;
        });
    });
}

void CEventBus::Fire(int eventId, CEventHolder& holder, const void* source) {
    if (!IsValidId(eventId)) {
        m_logger.LogCritical("ERROR: Undefined event was fired!");
        return;
    }
    holder.source = source;
    std::vector<std::shared_ptr<Listener>> targets;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& entry : m_listeners) {
            if (entry->eventId == eventId &&
                (entry->sourceFilter == nullptr || entry->sourceFilter == source)) {
                targets.push_back(entry);
            }
        }
    }
    const std::thread::id self = std::this_thread::get_id();
    for (const auto& entry : targets) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (entry->removed) continue;  // unsubscribed by an earlier handler
            m_calls.push_back(Call{entry->listener, self});
        }
        entry->handler(holder);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const auto call = std::find_if(m_calls.begin(), m_calls.end(), [&](const Call& c) {
                return c.listener == entry->listener && c.thread == self;
            });
            if (call != m_calls.end()) m_calls.erase(call);
        }
        m_callEnded.notify_all();
    }
}

int32_t CEventBus::NextSequenceId() {
    return m_nextSequenceId.fetch_add(1);
}

}  // namespace vantor
