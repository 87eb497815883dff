#include "server/player/QueuedActions.h"

#include "server/core/Logger.h"

namespace vantor {

CQueuedActionTable::CQueuedActionTable(CLogger& logger) : m_logger(logger) {}

int CQueuedActionTable::Add(const CQueuedAction& action) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int i = 0; i < kSlots; ++i) {
            if (m_slots[i].kind != kActionFree && m_slots[i].actionId == action.actionId) return i;
        }
        for (int i = 0; i < kSlots; ++i) {
            if (m_slots[i].kind == kActionFree) {
                m_slots[i] = action;
                return i;
            }
        }
    }
    m_logger.LogCritical("Unable to add CPlayerService queued action - no slots available!");
    return -1;
}

std::optional<CQueuedAction> CQueuedActionTable::Take(int32_t actionId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (CQueuedAction& slot : m_slots) {
        if (slot.kind != kActionFree && slot.actionId == actionId) {
            CQueuedAction found = slot;
            slot = CQueuedAction{};
            return found;
        }
    }
    return std::nullopt;
}

int CQueuedActionTable::Waiting() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int count = 0;
    for (const CQueuedAction& slot : m_slots) count += slot.kind != kActionFree ? 1 : 0;
    return count;
}

void CQueuedActionTable::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slots.fill(CQueuedAction{});
}

}  // namespace vantor
