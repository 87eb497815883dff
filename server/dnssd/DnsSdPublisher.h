#pragma once

#include <string>
#include <vector>

namespace vantor {

// One service to announce under the common name.
struct CDnsSdService {
    std::string type;  // "_vantor._tcp"
    int port = 0;
    std::vector<std::string> txt;  // "key=value"
};

// What a publisher tells its user. Called on the publisher's own thread; the callbacks may
// call Register and Withdraw.
class IDnsSdPublisherListener {
public:
    virtual ~IDnsSdPublisherListener() = default;
    // The daemon is there (at start or again): register now.
    virtual void OnDaemonRunning() = 0;
    // The daemon is not there (at start, or it went away): nothing is announced.
    virtual void OnDaemonGone() = 0;
    // The registered services are announced on the network.
    virtual void OnEstablished() = 0;
    // Another host announces the name: register again under another one.
    virtual void OnNameCollision() = 0;
    virtual void OnFailure(const std::string& reason) = 0;
};

// The part of the DNS-SD daemon's client interface the announcement uses; the Avahi one is
// CAvahiPublisher, tests put a stand-in in its place.
class IDnsSdPublisher {
public:
    static constexpr int kCollision = 1;

    virtual ~IDnsSdPublisher() = default;
    // Starts talking to the daemon (and keeps waiting for one that is not there). The
    // listener must outlive Stop. 0, or -1 when nothing could be started.
    virtual int Start(IDnsSdPublisherListener* listener) = 0;
    // Withdraws everything and waits for the publisher's thread.
    virtual void Stop() = 0;
    // From a listener callback: announces the services under `name`, replacing what was
    // registered before. 0, kCollision when the name is taken locally, or -1.
    virtual int Register(const std::string& name, const std::vector<CDnsSdService>& services) = 0;
    // The next name to try after a collision ("Name" -> "Name #2" -> "Name #3").
    virtual std::string AlternativeName(const std::string& name) = 0;
};

}  // namespace vantor
