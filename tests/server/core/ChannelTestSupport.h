#pragma once

// An in-process server core for channel and routing tests: configuration on free ports in
// a temporary folder, a capturing logger, the bus, a router with its XML channel, and a
// stand-in player service that answers every player request on the bus.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/RequestRouter.h"
#include "server/core/ServerContext.h"
#include "tests/server/core/CoreTestSupport.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

namespace vantor::test {

// Answers each player request with the matching response (type id + 1) for the same
// client and remembers which client ids the requests carried.
class CEchoPlayerService {
public:
    explicit CEchoPlayerService(CEventBus& bus) : m_bus(bus) {
        bus.Subscribe(event::PlayerRequest, this, [this](CEventHolder& holder) {
            if (holder.message->Kind() != kRequest) return;
            auto* request = static_cast<CRequestMessage*>(holder.message.get());
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_clientIds.push_back(request->ClientId());
            }
            CEventHolder reply(std::make_unique<CResponseMessage>(request->TypeId() + 1));
            auto* response = static_cast<CResponseMessage*>(reply.message.get());
            response->SetClientId(request->ClientId());
            response->SetRequestId(request->RequestId());
            response->SetReturnCode(0);
            m_bus.Fire(event::PlayerResponse, reply, this);
        });
    }
    ~CEchoPlayerService() { m_bus.Unsubscribe(this); }

    // Fires a message for `clientId` (-1: everybody) the way a service answers or announces.
    void Send(std::unique_ptr<CMessage> message, int32_t clientId, int eventId) {
        message->SetClientId(clientId);
        CEventHolder holder(std::move(message));
        m_bus.Fire(eventId, holder, this);
    }

    std::vector<int32_t> ClientIds() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_clientIds;
    }

private:
    CEventBus& m_bus;
    std::mutex m_mutex;
    std::vector<int32_t> m_clientIds;
};

struct CChannelFixtureCore {
    bool WriteConfig() const {
        WriteFile(dir / "QRM.config",
                  "Ports\\XMLChannel=" + std::to_string(xmlPort) +
                      "\r\nPorts\\XMLChannelDiscover=" + std::to_string(discoveryPort) + "\r\n");
        return true;
    }

    CTempDir dir;
    int xmlPort = FindFreePort();
    int discoveryPort = FindFreePort();
    bool configWritten = WriteConfig();  // before the store reads it
    CCapturedLogger log;
    CConfigStore config{dir.Path()};
    CEventBus bus{log.logger};
    CServerContext context{log.logger, config, bus};
};

// "<Name>\n<requestId>id</requestId>\n</Name>": a request as a client writes it.
inline std::string RequestDoc(const std::string& name, int requestId) {
    return "<" + name + ">\n<requestId>" + std::to_string(requestId) + "</requestId>\n</" + name +
           ">";
}

}  // namespace vantor::test
