#include "client/link/PendingRequests.h"

namespace vantor::client {

PendingRequests::Slot* PendingRequests::FindLocked(int32_t id) {
    for (auto& slot : m_slots) {
        if (slot.id == id) return &slot;
    }
    return nullptr;
}

bool PendingRequests::Enter(int32_t id, bool waiting, std::unique_ptr<CRequestMessage> request) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Slot* slot = FindLocked(id);
    if (!slot) slot = FindLocked(-1);
    if (!slot) return false;
    slot->id = id;
    slot->waiting = waiting;
    slot->request = std::move(request);
    slot->response.reset();
    return true;
}

void PendingRequests::Remove(int32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Slot* slot = FindLocked(id)) *slot = Slot{};
}

PendingRequests::Match PendingRequests::Deliver(std::unique_ptr<CResponseMessage>& response) {
    Match match;
    if (!response || response->RequestId() == -1) return match;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Slot* slot = FindLocked(response->RequestId());
        if (!slot) return match;
        if (slot->waiting) {
            slot->response = std::move(response);
            match.kind = Match::kWaiter;
        } else {
            match.kind = Match::kAsync;
            match.request = std::move(slot->request);
            *slot = Slot{};
            return match;
        }
    }
    m_changed.notify_all();
    return match;
}

std::unique_ptr<CResponseMessage> PendingRequests::Wait(int32_t id,
                                                        std::chrono::milliseconds timeout,
                                                        const std::function<bool()>& stillWaiting) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock<std::mutex> lock(m_mutex);
    Slot* slot = FindLocked(id);
    if (!slot) return nullptr;
    m_changed.wait_until(lock, deadline, [&] { return slot->response || !stillWaiting(); });
    std::unique_ptr<CResponseMessage> response = std::move(slot->response);
    *slot = Slot{};
    return response;
}

void PendingRequests::Wake() {
    { std::lock_guard<std::mutex> lock(m_mutex); }
    m_changed.notify_all();
}

void PendingRequests::DropAsync() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& slot : m_slots) {
        if (slot.id != -1 && !slot.waiting) slot = Slot{};
    }
}

size_t PendingRequests::InUse() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t count = 0;
    for (const auto& slot : m_slots) count += slot.id != -1 ? 1 : 0;
    return count;
}

}  // namespace vantor::client
