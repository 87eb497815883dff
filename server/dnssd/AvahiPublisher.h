#pragma once

#include "platform/dnssd/AvahiLoop.h"
#include "server/core/WorkerThread.h"
#include "server/dnssd/DnsSdPublisher.h"

#include <atomic>

struct AvahiClient;
struct AvahiEntryGroup;

namespace vantor {

class CLogger;

// Announces services through the Avahi daemon, on the thread "DNS-SD Publisher" that runs
// Avahi's event loop; every Avahi call happens there. A daemon that is not running, that
// stops, or a machine without a system bus is waited for without complaint, and the
// services are announced again when the daemon comes (back).
class CAvahiPublisher : public IDnsSdPublisher {
public:
    // Without a system bus, how often to look for one again (doubling up to the last).
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLastRetryMs = 30000;

    explicit CAvahiPublisher(CLogger& logger);
    ~CAvahiPublisher() override;  // Stop()

    int Start(IDnsSdPublisherListener* listener) override;
    void Stop() override;
    int Register(const std::string& name, const std::vector<CDnsSdService>& services) override;
    std::string AlternativeName(const std::string& name) override;

    // Avahi's callbacks, on the publisher thread.
    static void OnClientState(AvahiClient* client, int state, void* self);
    static void OnGroupState(AvahiEntryGroup* group, int state, void* self);

private:
    void Run();
    bool NewClient();
    void FreeClient();

    CLogger& m_logger;
    CWorkerThread m_thread;
    std::atomic<bool> m_stop{false};
    IDnsSdPublisherListener* m_listener = nullptr;
    // Publisher thread only.
    CAvahiLoop m_loop;
    AvahiClient* m_client = nullptr;
    AvahiEntryGroup* m_group = nullptr;
    bool m_reconnect = false;
    bool m_failureLogged = false;
};

}  // namespace vantor
