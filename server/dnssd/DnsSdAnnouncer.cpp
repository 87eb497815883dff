#include "server/dnssd/DnsSdAnnouncer.h"

#include "server/core/Logger.h"

namespace vantor {

CDnsSdAnnouncer::CDnsSdAnnouncer(CLogger& logger, std::unique_ptr<IDnsSdPublisher> publisher)
    : m_logger(logger), m_publisher(std::move(publisher)) {}

CDnsSdAnnouncer::~CDnsSdAnnouncer() {
    Stop();
}

std::string CDnsSdAnnouncer::CutName(const std::string& name, size_t bytes) {
    if (name.size() <= bytes) return name;
    size_t end = bytes;
    // Back up over continuation bytes to the start of the character that does not fit.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

int CDnsSdAnnouncer::Start(const std::string& name, std::vector<CDnsSdService> services) {
    Stop();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_name = CutName(name, kMaxNameBytes);
        m_announced.clear();
        m_services = std::move(services);
        m_established = false;
        m_absenceLogged = false;
    }
    return m_publisher->Start(this);
}

void CDnsSdAnnouncer::Stop() {
    m_publisher->Stop();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_established = false;
}

std::string CDnsSdAnnouncer::AnnouncedName() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_announced;
}

bool CDnsSdAnnouncer::IsEstablished() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_established;
}

void CDnsSdAnnouncer::RegisterUnderFreeName() {
    std::unique_lock<std::mutex> lock(m_mutex);
    std::string name = m_name;
    const std::vector<CDnsSdService> services = m_services;
    lock.unlock();
    for (int attempt = 0; attempt <= kMaxRenames; ++attempt) {
        const int r = m_publisher->Register(name, services);
        if (r == 0) {
            lock.lock();
            m_name = name;
            m_announced = name;
            return;
        }
        if (r != IDnsSdPublisher::kCollision) return;  // the publisher said why
        const std::string next = CutName(m_publisher->AlternativeName(name), kMaxNameBytes);
        m_logger.LogNormal("DNS-SD: the name \"%s\" is taken here; trying \"%s\"", name.c_str(),
                           next.c_str());
        name = next;
    }
    m_logger.LogCritical("ERROR: DNS-SD: no free name for the server after %d tries",
                         kMaxRenames);
}

void CDnsSdAnnouncer::OnDaemonRunning() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_absenceLogged = false;
    }
    RegisterUnderFreeName();
}

void CDnsSdAnnouncer::OnDaemonGone() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_established = false;
    if (m_absenceLogged) return;
    m_absenceLogged = true;
    // Many machines run no DNS-SD daemon; clients then find the server by broadcast.
    m_logger.LogDetailed("DNS-SD: no Avahi daemon; the server is announced when one runs");
}

void CDnsSdAnnouncer::OnEstablished() {
    std::string name;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_established = true;
        name = m_announced;
    }
    m_logger.LogNormal("DNS-SD: announced as \"%s\"", name.c_str());
}

void CDnsSdAnnouncer::OnNameCollision() {
    std::string name;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_established = false;
        name = m_name;
        m_name = CutName(m_publisher->AlternativeName(name), kMaxNameBytes);
    }
    m_logger.LogNormal("DNS-SD: another host uses the name \"%s\"; renaming", name.c_str());
    RegisterUnderFreeName();
}

void CDnsSdAnnouncer::OnFailure(const std::string& reason) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_established = false;
    }
    m_logger.LogCritical("ERROR: DNS-SD: %s", reason.c_str());
}

}  // namespace vantor
