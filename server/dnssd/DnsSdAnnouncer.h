#pragma once

#include "server/dnssd/DnsSdPublisher.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantor {

class CLogger;

// Keeps a set of services announced under one name through a publisher: registers them
// whenever the daemon is there, takes the next free name when another host uses it
// ("Name #2"), and says nothing worse than a detailed log line while no daemon runs.
class CDnsSdAnnouncer : public IDnsSdPublisherListener {
public:
    // DNS labels hold at most 63 bytes.
    static constexpr size_t kMaxNameBytes = 63;
    static constexpr int kMaxRenames = 20;

    CDnsSdAnnouncer(CLogger& logger, std::unique_ptr<IDnsSdPublisher> publisher);
    ~CDnsSdAnnouncer() override;  // Stop()

    // Starts announcing `services` as `name` (cut to kMaxNameBytes on a character
    // boundary). 0, or -1 when the publisher could not start.
    int Start(const std::string& name, std::vector<CDnsSdService> services);
    void Stop();

    // The name announced last (after renames); "" before the first registration.
    std::string AnnouncedName() const;
    bool IsEstablished() const;

    // Publisher callbacks.
    void OnDaemonRunning() override;
    void OnDaemonGone() override;
    void OnEstablished() override;
    void OnNameCollision() override;
    void OnFailure(const std::string& reason) override;

    // `name` cut to at most `bytes` bytes without splitting a UTF-8 character.
    static std::string CutName(const std::string& name, size_t bytes);

private:
    void RegisterUnderFreeName();

    CLogger& m_logger;
    std::unique_ptr<IDnsSdPublisher> m_publisher;
    mutable std::mutex m_mutex;  // guards the members below
    std::string m_name;
    std::string m_announced;
    std::vector<CDnsSdService> m_services;
    bool m_established = false;
    bool m_absenceLogged = false;
};

}  // namespace vantor
