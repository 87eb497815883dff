#pragma once

#include "platform/AutomationTypes.h"
#include "platform/WindowWire.h"

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

namespace vantor {

// An object as its own program sees it; called on the thread that runs
// CAutomationServer::Serve. Answers kDISP_E_MEMBERNOTFOUND for members it does not have.
class IAutomationObject {
public:
    virtual ~IAutomationObject() = default;
    virtual HRESULT Invoke(const std::string& member, InvokeKind kind,
                           const CVariantList& arguments, CVariant& result) = 0;
};

// Publishes this program's automation classes as local sockets in the windows folder and
// answers the calls of CAutomationObject proxies in other programs. Single-threaded: Serve
// handles one call at a time, in the order they came, as a program's message loop would.
//
// Objects are known by number once handed out (RefOf); the program keeps them alive until it
// revokes them. Every run has a new instance number, so proxies from an earlier run answer
// kRPC_S_SERVER_UNAVAILABLE instead of reaching a stranger.
class CAutomationServer {
public:
    static constexpr size_t kMaxConnections = 64;

    // An empty folder means the default windows folder.
    explicit CAutomationServer(std::string directory = {});
    ~CAutomationServer();
    CAutomationServer(const CAutomationServer&) = delete;
    CAutomationServer& operator=(const CAutomationServer&) = delete;

    // Makes the class reachable; `root` is what creating its object yields and must outlive
    // the server. False when the socket cannot be made.
    bool Publish(const std::string& progId, IAutomationObject& root);
    // The reference to hand out for an object (numbered on first use).
    CObjectRef RefOf(IAutomationObject& object);
    // The object behind a reference that came as an argument; null for a stranger or a
    // revoked object.
    IAutomationObject* Resolve(const CObjectRef& ref) const;
    // Later calls on the object answer kRPC_E_DISCONNECTED.
    void Revoke(IAutomationObject& object);
    // Sends the event to every subscriber of `source`; a subscriber that does not take it
    // within a second is dropped.
    void Fire(IAutomationObject& source, uint32_t dispatchId, const CVariantList& arguments);

    // Waits up to `timeoutMs` for calls and answers those that came; true when there were.
    bool Serve(int timeoutMs);
    // False once someone removed one of the socket files.
    bool StillPublished() const;
    uint32_t Instance() const { return m_instance; }
    size_t ConnectionCount() const { return m_clients.size(); }
    size_t SubscriberCount() const;

private:
    struct CEndpoint {
        std::string progId;
        std::string path;
        windowwire::CFd listener;
        IAutomationObject* root = nullptr;
    };
    struct CClient {
        windowwire::CFd fd;
        std::string input;
        std::vector<uint32_t> subscriptions;  // ids of the objects whose events it gets
        bool dead = false;
    };

    void Accept(CEndpoint& endpoint);
    void Receive(CClient& client);
    std::string Answer(CClient& client, std::string_view payload);

    std::string m_directory;
    uint32_t m_instance;
    std::vector<CEndpoint> m_endpoints;
    std::list<CClient> m_clients;
    std::map<uint32_t, IAutomationObject*> m_objects;
    std::map<IAutomationObject*, uint32_t> m_ids;
    uint32_t m_nextId = 1;
};

}  // namespace vantor
