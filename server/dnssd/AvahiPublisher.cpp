#include "server/dnssd/AvahiPublisher.h"

#include "server/core/Logger.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include <algorithm>

namespace vantor {

namespace {

void ClientCallback(AvahiClient* client, AvahiClientState state, void* self);
void GroupCallback(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self);

}  // namespace

CAvahiPublisher::CAvahiPublisher(CLogger& logger) : m_logger(logger), m_thread(logger) {}

CAvahiPublisher::~CAvahiPublisher() {
    Stop();
}

int CAvahiPublisher::Start(IDnsSdPublisherListener* listener) {
    Stop();
    if (!m_loop.IsValid()) return -1;
    m_listener = listener;
    m_stop = false;
    return m_thread.Start("DNS-SD Publisher", [this] { Run(); });
}

void CAvahiPublisher::Stop() {
    if (!m_thread.IsRunning()) return;
    m_stop = true;
    m_loop.Wake();
    m_thread.Stop();
}

void CAvahiPublisher::Run() {
    int retryMs = kFirstRetryMs;
    while (!m_stop) {
        if (m_reconnect) {
            m_reconnect = false;
            FreeClient();
        }
        if (!m_client) {
            if (!NewClient()) {
                // No system bus at all (a container, say): look again now and then.
                if (m_listener) m_listener->OnDaemonGone();
                m_loop.Iterate(retryMs);
                retryMs = std::min(kLastRetryMs, retryMs * 2);
                continue;
            }
            retryMs = kFirstRetryMs;
        }
        if (!m_loop.Iterate(-1)) break;
    }
    FreeClient();  // withdraws what was announced
}

bool CAvahiPublisher::NewClient() {
    int error = 0;
    // NO_FAIL: a daemon missing from the bus is waited for in the connecting state, and a
    // daemon that goes away is reported as a disconnection.
    m_client = avahi_client_new(m_loop.Poll(), AVAHI_CLIENT_NO_FAIL, ClientCallback, this, &error);
    if (!m_client && error != AVAHI_ERR_NO_DAEMON && !m_failureLogged) {
        m_failureLogged = true;
        m_logger.LogCritical("ERROR: DNS-SD: cannot start Avahi's client: %s",
                             avahi_strerror(error));
    }
    return m_client != nullptr;
}

void CAvahiPublisher::FreeClient() {
    m_group = nullptr;  // freed with its client
    if (m_client) avahi_client_free(m_client);
    m_client = nullptr;
}

void CAvahiPublisher::OnClientState(AvahiClient* client, int state, void* self) {
    auto* publisher = static_cast<CAvahiPublisher*>(self);
    if (!publisher->m_client) publisher->m_client = client;  // called from inside avahi_client_new
    IDnsSdPublisherListener* listener = publisher->m_listener;
    switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            if (listener) listener->OnDaemonRunning();
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The daemon's host name is changing: announce again once it runs.
            if (publisher->m_group) avahi_entry_group_reset(publisher->m_group);
            break;
        case AVAHI_CLIENT_CONNECTING:
            if (listener) listener->OnDaemonGone();
            break;
        case AVAHI_CLIENT_FAILURE:
            if (avahi_client_errno(client) == AVAHI_ERR_DISCONNECTED) {
                publisher->m_reconnect = true;
                if (listener) listener->OnDaemonGone();
            } else if (listener) {
                listener->OnFailure(avahi_strerror(avahi_client_errno(client)));
            }
            break;
        default:
            break;
    }
}

void CAvahiPublisher::OnGroupState(AvahiEntryGroup*, int state, void* self) {
    IDnsSdPublisherListener* listener = static_cast<CAvahiPublisher*>(self)->m_listener;
    if (!listener) return;
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) listener->OnEstablished();
    if (state == AVAHI_ENTRY_GROUP_COLLISION) listener->OnNameCollision();
    if (state == AVAHI_ENTRY_GROUP_FAILURE) listener->OnFailure("the announcement failed");
}

int CAvahiPublisher::Register(const std::string& name, const std::vector<CDnsSdService>& services) {
    if (!m_client || avahi_client_get_state(m_client) != AVAHI_CLIENT_S_RUNNING) return -1;
    if (!m_group) {
        m_group = avahi_entry_group_new(m_client, GroupCallback, this);
        if (!m_group) return -1;
    }
    avahi_entry_group_reset(m_group);
    for (const auto& service : services) {
        AvahiStringList* txt = nullptr;
        for (auto it = service.txt.rbegin(); it != service.txt.rend(); ++it)
            txt = avahi_string_list_add(txt, it->c_str());
        const int r = avahi_entry_group_add_service_strlst(
            m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, static_cast<AvahiPublishFlags>(0),
            name.c_str(), service.type.c_str(), nullptr, nullptr,
            static_cast<uint16_t>(service.port), txt);
        avahi_string_list_free(txt);
        if (r == AVAHI_ERR_COLLISION) {
            avahi_entry_group_reset(m_group);
            return kCollision;
        }
        if (r < 0) {
            m_logger.LogCritical("ERROR: DNS-SD: cannot announce %s as \"%s\": %s",
                                 service.type.c_str(), name.c_str(), avahi_strerror(r));
            avahi_entry_group_reset(m_group);
            return -1;
        }
    }
    return avahi_entry_group_commit(m_group) < 0 ? -1 : 0;
}

std::string CAvahiPublisher::AlternativeName(const std::string& name) {
    char* next = avahi_alternative_service_name(name.c_str());
    if (!next) return name + " #2";
    std::string result = next;
    avahi_free(next);
    return result;
}

namespace {

void ClientCallback(AvahiClient* client, AvahiClientState state, void* self) {
    CAvahiPublisher::OnClientState(client, state, self);
}

void GroupCallback(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self) {
    CAvahiPublisher::OnGroupState(group, state, self);
}

}  // namespace

}  // namespace vantor
