#include "platform/AutomationClient.h"

#include "platform/AutomationWire.h"
#include "platform/ChildPrograms.h"
#include "platform/WindowWire.h"

#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>

namespace vantor {

namespace wire = automationwire;
using windowwire::CFd;

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStartPollMs = 50;

std::atomic<int> g_callTimeoutMs{5000};

using Clock = std::chrono::steady_clock;

enum class ReadResult { kOk, kClosed, kTimeout };

// Reads exactly `size` bytes before the deadline.
ReadResult ReadUntil(int fd, char* data, size_t size, Clock::time_point deadline) {
    while (size > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return ReadResult::kTimeout;
        pollfd pfd{fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return ReadResult::kClosed;
        if (ready == 0) return ReadResult::kTimeout;
        const ssize_t n = ::recv(fd, data, size, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return ReadResult::kClosed;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return ReadResult::kOk;
}

ReadResult ReadFrameUntil(int fd, std::string& payload, Clock::time_point deadline) {
    unsigned char header[4];
    ReadResult result = ReadUntil(fd, reinterpret_cast<char*>(header), 4, deadline);
    if (result != ReadResult::kOk) return result;
    const uint32_t size =
        header[0] | (header[1] << 8) | (header[2] << 16) | (static_cast<uint32_t>(header[3]) << 24);
    if (size > windowwire::kMaxFrame) return ReadResult::kClosed;
    payload.resize(size);
    return ReadUntil(fd, payload.data(), size, deadline);
}

// One request and its answer on a connection; the answer's message in `reply`.
HRESULT Exchange(int fd, const wire::CWireMessage& request, wire::CWireMessage& reply) {
    if (!windowwire::WriteFrame(fd, wire::Encode(request))) {
        return kRPC_S_SERVER_UNAVAILABLE;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(g_callTimeoutMs.load());
    for (;;) {
        std::string payload;
        switch (ReadFrameUntil(fd, payload, deadline)) {
            case ReadResult::kTimeout:
                return kRPC_E_TIMEOUT;
            case ReadResult::kClosed:
                return kRPC_S_SERVER_UNAVAILABLE;
            case ReadResult::kOk:
                break;
        }
        if (wire::Decode(payload, reply) != wire::DecodeStatus::kOk) {
            return kRPC_E_INVALID_DATAPACKET;
        }
        if (reply.kind == wire::kReturn && reply.sequence == request.sequence) {
            return reply.result;
        }
        // An answer to an earlier call that timed out: not ours.
    }
}

// The calling thread's connections, one per run of a publishing program: a new run behind
// the same socket path gets a new connection, so that calls for the old run's objects fail
// instead of reaching the new run (and the other way round).
struct CConnection {
    CFd fd;
    uint32_t nextSequence = 1;
};

using ConnectionKey = std::pair<std::string, uint32_t>;  // endpoint, instance (0: creating)

thread_local std::map<ConnectionKey, CConnection> t_connections;

void DropConnections(const std::string& endpoint) {
    std::erase_if(t_connections, [&](const auto& entry) { return entry.first.first == endpoint; });
}

// Calls over the thread's connection to `endpoint`, connecting when there is none. A
// connection that failed is dropped, so the next call connects afresh.
HRESULT ThreadCall(const std::string& endpoint, uint32_t instance, wire::CWireMessage& request,
                   wire::CWireMessage& reply) {
    const ConnectionKey key{endpoint, instance};
    auto it = t_connections.find(key);
    if (it == t_connections.end()) {
        // Connections to earlier runs are of no more use.
        DropConnections(endpoint);
        CFd fd = windowwire::ConnectTo(endpoint);
        if (!fd.Valid()) {
            return kRPC_S_SERVER_UNAVAILABLE;
        }
        it = t_connections.emplace(key, CConnection{std::move(fd), 1}).first;
    }
    request.sequence = it->second.nextSequence++;
    const HRESULT hr = Exchange(it->second.fd.Get(), request, reply);
    if (hr == kRPC_S_SERVER_UNAVAILABLE || hr == kRPC_E_TIMEOUT ||
        hr == kRPC_E_INVALID_DATAPACKET) {
        t_connections.erase(key);
    }
    return hr;
}

CChildPrograms& Children() {
    static CChildPrograms children;
    return children;
}

// One subscription: its own connection and the thread that reads its events.
struct CSubscription {
    CFd fd;
    IAutomationEventSink* sink = nullptr;
    std::thread thread;
};

struct CSubscriptions {
    std::mutex mutex;
    std::map<uint32_t, std::shared_ptr<CSubscription>> byCookie;
    uint32_t next = 1;
};

CSubscriptions& Subscriptions() {
    static CSubscriptions subscriptions;
    return subscriptions;
}

void ReadEvents(const std::shared_ptr<CSubscription>& subscription) {
    ::pthread_setname_np(::pthread_self(), "Automation Evts");
    const int fd = subscription->fd.Get();
    for (;;) {
        std::string payload;
        if (ReadFrameUntil(fd, payload, Clock::time_point::max()) != ReadResult::kOk) {
            return;
        }
        wire::CWireMessage event;
        if (wire::Decode(payload, event) == wire::DecodeStatus::kOk && event.kind == wire::kEvent) {
            subscription->sink->OnEvent(event.dispatchId, event.values);
        }
    }
}

}  // namespace

HRESULT CAutomationObject::Invoke(const std::string& member, InvokeKind kind,
                                  const CVariantList& arguments, CVariant* result) const {
    if (m_ref.IsNull()) {
        return kE_POINTER;
    }
    if (m_thread != std::this_thread::get_id()) {
        return kRPC_E_WRONG_THREAD;
    }
    if (arguments.size() > wire::kMaxArguments) {
        return kDISP_E_BADPARAMCOUNT;
    }
    wire::CWireMessage request;
    request.kind = wire::kInvoke;
    request.object = m_ref;
    request.invokeKind = kind;
    request.name = member;
    request.values = arguments;
    wire::CWireMessage reply;
    const HRESULT hr = ThreadCall(m_endpoint, m_ref.instance, request, reply);
    if (result) {
        *result = Failed(hr) || reply.values.empty() ? CVariant{} : reply.values.front();
    }
    return hr;
}

bool CAutomationObject::Convert(const CVariant& value, CAutomationObject& out) const {
    CObjectRef ref;
    if (std::holds_alternative<std::monostate>(value)) {
        out = CAutomationObject();
        return true;
    }
    if (!FromVariant(value, ref)) return false;
    out.m_endpoint = m_endpoint;
    out.m_ref = ref;
    out.m_thread = std::this_thread::get_id();
    return true;
}

// Builds proxies for the functions below, which are not members.
class CAutomationObjectAccess {
public:
    static CAutomationObject Make(std::string endpoint, CObjectRef ref) {
        CAutomationObject object;
        object.m_endpoint = std::move(endpoint);
        object.m_ref = ref;
        object.m_thread = std::this_thread::get_id();
        return object;
    }
    static const std::string& Endpoint(const CAutomationObject& object) {
        return object.m_endpoint;
    }
};

namespace {

// Reaches the program behind `endpoint`, starting it when nobody listens there.
HRESULT ReachProgram(const std::string& endpoint, const std::string& programPath) {
    // Two threads that find the program missing must not start it twice: the second waits
    // for the first one's start and then finds the program there.
    static std::mutex startMutex;
    std::lock_guard startLock(startMutex);
    bool refused = false;
    if (windowwire::ConnectTo(endpoint, &refused).Valid()) {
        return kS_OK;
    }
    if (refused) {
        // Its program has gone without cleaning up.
        ::unlink(endpoint.c_str());
    }
    if (programPath.empty()) {
        return kREGDB_E_CLASSNOTREG;
    }
    if (!Children().Start(programPath)) {
        return kCO_E_SERVER_EXEC_FAILURE;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (!windowwire::ConnectTo(endpoint).Valid()) {
        if (Clock::now() > deadline) {
            return kCO_E_SERVER_EXEC_FAILURE;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kStartPollMs));
        Children().Reap();
    }
    return kS_OK;
}

}  // namespace

HRESULT CreateAutomationObject(const std::string& progId, const std::string& programPath,
                               CAutomationObject& out, const std::string& directory) {
    out = CAutomationObject();
    const std::string endpoint = wire::EndpointPath(directory, progId);
    HRESULT hr = kRPC_S_SERVER_UNAVAILABLE;
    // A program that is being killed may still take the connection and then drop it: the
    // second attempt finds it gone and starts it afresh.
    for (int attempt = 0; attempt < 3 && hr == kRPC_S_SERVER_UNAVAILABLE; ++attempt) {
        // A connection kept from before may lead to a program that has gone since.
        DropConnections(endpoint);
        hr = ReachProgram(endpoint, programPath);
        if (Failed(hr)) {
            return hr;
        }
        wire::CWireMessage request;
        request.kind = wire::kCreate;
        request.name = progId;
        wire::CWireMessage reply;
        hr = ThreadCall(endpoint, 0, request, reply);
        DropConnections(endpoint);
        CObjectRef ref;
        if (Succeeded(hr) && (reply.values.empty() || !FromVariant(reply.values.front(), ref))) {
            hr = kE_POINTER;
        }
        if (Succeeded(hr)) {
            out = CAutomationObjectAccess::Make(endpoint, ref);
        } else if (hr == kRPC_S_SERVER_UNAVAILABLE) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kStartPollMs));
        }
    }
    return hr;
}

HRESULT AutomationAdvise(const CAutomationObject& source, IAutomationEventSink* sink,
                         uint32_t& cookie) {
    cookie = 0;
    if (source.IsNull() || !sink) {
        return kE_POINTER;
    }
    auto subscription = std::make_shared<CSubscription>();
    subscription->sink = sink;
    subscription->fd = windowwire::ConnectTo(CAutomationObjectAccess::Endpoint(source));
    if (!subscription->fd.Valid()) {
        return kRPC_S_SERVER_UNAVAILABLE;
    }
    wire::CWireMessage request;
    request.kind = wire::kAdvise;
    request.sequence = 1;
    request.object = source.Ref();
    wire::CWireMessage reply;
    const HRESULT hr = Exchange(subscription->fd.Get(), request, reply);
    if (Failed(hr)) {
        return hr;
    }
    CSubscriptions& all = Subscriptions();
    std::lock_guard lock(all.mutex);
    subscription->thread = std::thread(ReadEvents, subscription);
    cookie = all.next++;
    all.byCookie.emplace(cookie, std::move(subscription));
    return kS_OK;
}

void AutomationUnadvise(uint32_t cookie) {
    std::shared_ptr<CSubscription> subscription;
    {
        CSubscriptions& all = Subscriptions();
        std::lock_guard lock(all.mutex);
        auto it = all.byCookie.find(cookie);
        if (it == all.byCookie.end()) return;
        subscription = std::move(it->second);
        all.byCookie.erase(it);
    }
    // The reader sees the end of its connection and returns.
    ::shutdown(subscription->fd.Get(), SHUT_RDWR);
    if (subscription->thread.get_id() == std::this_thread::get_id()) {
        subscription->thread.detach();
    } else if (subscription->thread.joinable()) {
        subscription->thread.join();
    }
}

void SetAutomationCallTimeout(int milliseconds) {
    g_callTimeoutMs = milliseconds;
}

int AutomationCallTimeout() {
    return g_callTimeoutMs;
}

CGlobalInterfaceTable& CGlobalInterfaceTable::Instance() {
    static CGlobalInterfaceTable table;
    return table;
}

uint32_t CGlobalInterfaceTable::Register(const CAutomationObject& object) {
    std::lock_guard lock(m_mutex);
    const uint32_t cookie = m_next++;
    m_objects.emplace(cookie, object);
    return cookie;
}

HRESULT CGlobalInterfaceTable::Get(uint32_t cookie, CAutomationObject& out) {
    std::string endpoint;
    CObjectRef ref;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(cookie);
        if (it == m_objects.end()) {
            out = CAutomationObject();
            return kE_INVALIDARG;
        }
        endpoint = CAutomationObjectAccess::Endpoint(it->second);
        ref = it->second.Ref();
    }
    out = CAutomationObjectAccess::Make(std::move(endpoint), ref);
    return kS_OK;
}

void CGlobalInterfaceTable::Revoke(uint32_t cookie) {
    std::lock_guard lock(m_mutex);
    m_objects.erase(cookie);
}

}  // namespace vantor
