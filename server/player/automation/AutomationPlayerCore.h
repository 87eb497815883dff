#pragma once

#include "platform/AutomationClient.h"
#include "server/player/Player.h"
#include "server/player/automation/PumpThread.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

namespace vantor {

class CLogger;

// What the adapters over a player's published objects share: the message pump on which the
// player's object is created and released (thread messages 1025 and 1026), the object's entry
// in the process-wide interface table from which every other thread fetches its own proxy,
// the listener, and attaching afresh after the player vanished.
class CAutomationPlayerCore {
public:
    static constexpr uint32_t kMessageStart = 1025;
    static constexpr uint32_t kMessageRelease = 1026;
    static constexpr int kReadyWaitMs = 5000;

    // The handler runs on the pump for every message; after 1025 and 1026 the core sets the
    // ready event itself.
    CAutomationPlayerCore(CLogger& logger, std::function<void(const CThreadMessage&)> handler);

    // Starts the pump, posts 1025 and waits up to 5 s for it. False (with `noPumpLine`
    // logged) when the pump did not come up.
    bool Start(const std::string& pumpName, const char* noPumpLine);
    // Posts 1026 and ends the pump.
    void Stop();
    // Posts 1026, then 1025, waiting for each, unless someone did since `cookieSeen` was
    // current. Logs `line` first. Not from the pump thread (it cannot wait for itself).
    void Restart(uint32_t cookieSeen, const char* line);

    // A proxy of the registered object for the calling thread; false when there is none.
    bool Object(CAutomationObject& object) const;
    uint32_t Cookie() const { return m_cookie; }
    // Pump thread: puts the object into the table, or takes it out.
    void Register(const CAutomationObject& object);
    void Revoke();
    bool Post(uint32_t message) { return m_pump.Post(message); }

    void SetListener(IPlayerListener* listener);
    void RemoveListener(IPlayerListener* listener);
    IPlayerListener* Listener();

private:
    CLogger& m_logger;
    CPumpThread m_pump;
    std::function<void(const CThreadMessage&)> m_handler;
    std::atomic<uint32_t> m_cookie{0};
    std::mutex m_restartMutex;
    std::mutex m_listenerMutex;
    IPlayerListener* m_listener = nullptr;
};

}  // namespace vantor
