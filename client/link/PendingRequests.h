#pragma once

// The requests that wait for their responses: exactly 100 slots, each holding a request id,
// whether a caller blocks for the answer, the request (for requests sent asynchronously)
// and, for a blocked caller, the response once it came. One lock guards it; it is never
// held while sending or while a caller sleeps.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "protocol/Message.h"

namespace vantor::client {

class PendingRequests {
public:
    static constexpr size_t kSlots = 100;

    // What became of a response.
    struct Match {
        enum Kind { kNone, kWaiter, kAsync } kind = kNone;
        // For kAsync: the request it answers (the slot is free again).
        std::unique_ptr<CRequestMessage> request;
    };

    // Takes a slot for `id`: the slot already holding `id`, else the first free one. False
    // when all slots are in use.
    bool Enter(int32_t id, bool waiting, std::unique_ptr<CRequestMessage> request);
    // Frees the slot of `id` (a request that could not be sent).
    void Remove(int32_t id);
    // Files a response under its request id. A blocked caller gets it; an asynchronous
    // request comes back out with the response; anything else is for no one.
    Match Deliver(std::unique_ptr<CResponseMessage>& response);
    // Blocks until the response for `id` came, `timeout` passed or `stillWaiting` says no
    // (it is asked again after every Wake). Frees the slot either way; null without answer.
    std::unique_ptr<CResponseMessage> Wait(int32_t id, std::chrono::milliseconds timeout,
                                           const std::function<bool()>& stillWaiting);
    // Wakes every blocked caller to look at stillWaiting again.
    void Wake();
    // Frees the slots of asynchronous requests (their connection is gone).
    void DropAsync();
    size_t InUse() const;

private:
    struct Slot {
        int32_t id = -1;
        bool waiting = false;
        std::unique_ptr<CRequestMessage> request;
        std::unique_ptr<CResponseMessage> response;
    };

    Slot* FindLocked(int32_t id);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::array<Slot, kSlots> m_slots;
};

}  // namespace vantor::client
