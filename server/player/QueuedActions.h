#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>

namespace vantor {

class CLogger;

// What to do when the library answers a request the player service sent on a client's
// behalf (or its own).
enum QueuedActionKind : int32_t {
    kActionPlayMedia = 0,
    kActionPlaylistAdd = 1,
    kActionAnswerCurrentMedia = 3,
    kActionBroadcastCurrentMedia = 4,
    kActionFree = 5,
};

struct CQueuedAction {
    int32_t actionId = -1;     // sequence id of the library request waited for
    int32_t connectionId = 0;  // client that asked; 0 for the service's own requests
    int32_t requestId = -1;    // the client's request id, echoed in the answer
    int32_t kind = kActionFree;
    int32_t position = -1;  // where to insert, for kActionPlaylistAdd
};

// The fixed table of library lookups waiting for their reply. Requests and library replies
// arrive on different threads, so every access is locked.
class CQueuedActionTable {
public:
    static constexpr int kSlots = 50;

    explicit CQueuedActionTable(CLogger& logger);

    // Records the action in the first free slot. An action id already present keeps its slot
    // unchanged. Returns the slot index, or -1 (logged) when every slot is taken.
    int Add(const CQueuedAction& action);
    // Frees and returns the slot waiting for actionId, if any.
    std::optional<CQueuedAction> Take(int32_t actionId);
    int Waiting() const;
    void Clear();

private:
    CLogger& m_logger;
    mutable std::mutex m_mutex;
    std::array<CQueuedAction, kSlots> m_slots{};
};

}  // namespace vantor
