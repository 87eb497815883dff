#include "platform/AutomationServer.h"

#include "platform/AutomationWire.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

namespace vantor {

namespace wire = automationwire;
using windowwire::CFd;

namespace {

constexpr int kSendTimeoutMs = 1000;

uint32_t NewInstance() {
    std::random_device random;
    const auto now =
        static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const uint32_t instance = random() ^ now ^ static_cast<uint32_t>(::getpid());
    return instance == 0 ? 1 : instance;
}

}  // namespace

CAutomationServer::CAutomationServer(std::string directory)
    : m_directory(directory.empty() ? windowwire::WindowsDirectory() : std::move(directory)),
      m_instance(NewInstance()) {}

CAutomationServer::~CAutomationServer() {
    for (const CEndpoint& endpoint : m_endpoints) {
        ::unlink(endpoint.path.c_str());
    }
}

bool CAutomationServer::Publish(const std::string& progId, IAutomationObject& root) {
    ::mkdir(m_directory.c_str(), 0700);
    CEndpoint endpoint;
    endpoint.progId = progId;
    endpoint.path = wire::EndpointPath(m_directory, progId);
    endpoint.root = &root;
    sockaddr_un address{};
    if (endpoint.path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, endpoint.path.c_str(), endpoint.path.size() + 1);
    endpoint.listener.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    ::unlink(endpoint.path.c_str());
    if (!endpoint.listener.Valid() ||
        ::bind(endpoint.listener.Get(), reinterpret_cast<const sockaddr*>(&address),
               sizeof(address)) != 0 ||
        ::listen(endpoint.listener.Get(), SOMAXCONN) != 0) {
        return false;
    }
    RefOf(root);
    m_endpoints.push_back(std::move(endpoint));
    return true;
}

CObjectRef CAutomationServer::RefOf(IAutomationObject& object) {
    auto it = m_ids.find(&object);
    if (it == m_ids.end()) {
        it = m_ids.emplace(&object, m_nextId).first;
        m_objects.emplace(m_nextId, &object);
        ++m_nextId;
    }
    return {m_instance, it->second};
}

IAutomationObject* CAutomationServer::Resolve(const CObjectRef& ref) const {
    if (ref.instance != m_instance) {
        return nullptr;
    }
    auto it = m_objects.find(ref.id);
    return it == m_objects.end() ? nullptr : it->second;
}

void CAutomationServer::Revoke(IAutomationObject& object) {
    auto it = m_ids.find(&object);
    if (it == m_ids.end()) {
        return;
    }
    m_objects.erase(it->second);
    for (CClient& client : m_clients) {
        std::erase(client.subscriptions, it->second);
    }
    m_ids.erase(it);
}

void CAutomationServer::Fire(IAutomationObject& source, uint32_t dispatchId,
                             const CVariantList& arguments) {
    auto it = m_ids.find(&source);
    if (it == m_ids.end()) {
        return;
    }
    wire::CWireMessage event;
    event.kind = wire::kEvent;
    event.object = {m_instance, it->second};
    event.dispatchId = dispatchId;
    event.values = arguments;
    const std::string payload = wire::Encode(event);
    for (CClient& client : m_clients) {
        if (!client.dead &&
            std::ranges::find(client.subscriptions, it->second) != client.subscriptions.end()) {
            client.dead = !windowwire::WriteFrame(client.fd.Get(), payload);
        }
    }
}

size_t CAutomationServer::SubscriberCount() const {
    return static_cast<size_t>(std::ranges::count_if(
        m_clients, [](const CClient& client) { return !client.subscriptions.empty(); }));
}

bool CAutomationServer::Serve(int timeoutMs) {
    std::vector<pollfd> fds;
    for (const CEndpoint& endpoint : m_endpoints) {
        fds.push_back({endpoint.listener.Get(), POLLIN, 0});
    }
    for (const CClient& client : m_clients) {
        fds.push_back({client.fd.Get(), POLLIN, 0});
    }
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) {
        return false;
    }
    size_t index = 0;
    for (CEndpoint& endpoint : m_endpoints) {
        if (fds[index++].revents & POLLIN) {
            Accept(endpoint);
        }
    }
    // Clients accepted just now are after those polled; they are read at the next turn.
    auto client = m_clients.begin();
    for (; index < fds.size(); ++index, ++client) {
        if (fds[index].revents != 0) {
            Receive(*client);
        }
    }
    m_clients.remove_if([](const CClient& c) { return c.dead; });
    return true;
}

void CAutomationServer::Accept(CEndpoint& endpoint) {
    for (;;) {
        CFd fd(::accept4(endpoint.listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!fd.Valid()) {
            return;
        }
        if (m_clients.size() >= kMaxConnections) {
            continue;  // closed at once: the caller sees the program as unavailable
        }
        windowwire::SetTimeouts(fd.Get(), kSendTimeoutMs);
        m_clients.push_back(CClient{std::move(fd), {}, {}, false});
    }
}

void CAutomationServer::Receive(CClient& client) {
    char buffer[16384];
    const ssize_t n = ::recv(client.fd.Get(), buffer, sizeof(buffer), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (n <= 0) {
        client.dead = true;
        return;
    }
    client.input.append(buffer, static_cast<size_t>(n));
    while (!client.dead && client.input.size() >= 4) {
        const auto* header = reinterpret_cast<const unsigned char*>(client.input.data());
        const uint32_t size = header[0] | (header[1] << 8) | (header[2] << 16) |
                              (static_cast<uint32_t>(header[3]) << 24);
        if (size > windowwire::kMaxFrame) {
            client.dead = true;  // not a caller of ours
            return;
        }
        if (client.input.size() - 4 < size) {
            return;
        }
        const std::string payload = client.input.substr(4, size);
        client.input.erase(0, 4 + size);
        const std::string answer = Answer(client, payload);
        if (!answer.empty() && !windowwire::WriteFrame(client.fd.Get(), answer)) {
            client.dead = true;
        }
    }
}

std::string CAutomationServer::Answer(CClient& client, std::string_view payload) {
    wire::CWireMessage request;
    wire::CWireMessage reply;
    reply.kind = wire::kReturn;
    switch (wire::Decode(payload, request)) {
        case wire::DecodeStatus::kWrongVersion:
            reply.sequence = request.sequence;
            reply.result = kRPC_E_VERSION_MISMATCH;
            return wire::Encode(reply);
        case wire::DecodeStatus::kMalformed:
            reply.sequence = request.sequence;
            reply.result = kRPC_E_INVALID_DATAPACKET;
            return wire::Encode(reply);
        case wire::DecodeStatus::kOk:
            break;
    }
    reply.sequence = request.sequence;
    reply.values.resize(1);
    switch (request.kind) {
        case wire::kCreate: {
            auto it = std::ranges::find(m_endpoints, request.name, &CEndpoint::progId);
            if (it == m_endpoints.end()) {
                reply.result = kREGDB_E_CLASSNOTREG;
            } else {
                reply.values[0] = RefOf(*it->root);
            }
            break;
        }
        case wire::kInvoke:
        case wire::kAdvise: {
            if (request.object.instance != m_instance) {
                reply.result = kRPC_S_SERVER_UNAVAILABLE;  // an object of an earlier run
                break;
            }
            IAutomationObject* object = Resolve(request.object);
            if (!object) {
                reply.result = kRPC_E_DISCONNECTED;
            } else if (request.kind == wire::kAdvise) {
                client.subscriptions.push_back(request.object.id);
                reply.values[0] = static_cast<int32_t>(request.object.id);
            } else {
                reply.result = object->Invoke(request.name, request.invokeKind, request.values,
                                              reply.values[0]);
            }
            break;
        }
        default:
            reply.result = kRPC_E_INVALID_DATAPACKET;  // answers and events are not ours
            break;
    }
    return wire::Encode(reply);
}

bool CAutomationServer::StillPublished() const {
    struct stat info {};
    return std::ranges::all_of(m_endpoints, [&info](const CEndpoint& endpoint) {
        return ::stat(endpoint.path.c_str(), &info) == 0;
    });
}

}  // namespace vantor
