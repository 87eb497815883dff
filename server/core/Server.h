#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "server/core/RequestRouter.h"
#include "server/core/Service.h"

namespace vantor {

struct CServerContext;

// The software update check as the server sees it: started once the server has started
// (when "AutoUpdate" is on) and stopped first when it stops. Server's thread.
class IUpdateCheck {
public:
    virtual ~IUpdateCheck() = default;
    virtual void StartAutomaticCheck() = 0;
    // Cancels a running check and waits for its thread.
    virtual void StopCheck() = 0;
};

// The server object: the banner, the services in their 10 places (0 the media library
// service, 1 the player service for the configured PlayerType) and the request router with
// its channels. The services come from factories registered by the program, so this folder
// does not depend on the player or library code.
//
// Every operation runs on the server's (main) thread.
class CServer {
public:
    static constexpr int kServicePlaces = 10;
    static constexpr int kLibraryPlace = 0;
    static constexpr int kPlayerPlace = 1;
    static constexpr const char* kVersion = "1.0.3.2";

    // Makes the service of one place for the effective PlayerType; null leaves the place
    // empty. Called at every Start, on the server's thread.
    using ServiceFactory = std::function<std::unique_ptr<IService>(CServerContext&, int)>;

    explicit CServer(CServerContext& context);
    ~CServer();  // Stop()
    CServer(const CServer&) = delete;
    CServer& operator=(const CServer&) = delete;

    // A factory returns null when it has nothing for the player type; an empty player place
    // is logged as an error unless the type is 2 (a player run elsewhere).
    bool SetServiceFactory(int place, ServiceFactory factory);

    // Banner, services, channels, "Server is started". Services and channels log their own
    // failures; the server starts regardless and returns 0, unless channels are required
    // (below): then a channel that cannot start stops everything again and Start returns
    // -1 without saying the server started.
    int Start();
    // A server without a window (headless) has nobody to show a failed channel to; it must
    // not run on with nothing listening. Set before Start.
    void SetChannelsRequired(bool required) { m_channelsRequired = required; }
    // The check started after "Server is started" when "AutoUpdate" is on; null for none.
    // Not owned; it outlives the server. Set before Start.
    void SetUpdateCheck(IUpdateCheck* check) { m_updateCheck = check; }
    // Why the last Start returned -1 ("" otherwise).
    const std::string& StartFailure() const { return m_startFailure; }
    // Stops the update check, closes the channels, then stops and deletes the services.
    void Stop();
    bool IsStarted() const { return m_started; }

    // Stores the player type; when the stored value then differs from the previous one,
    // restarts the whole sequence. True when it restarted.
    bool ChangePlayerType(int playerType);

    CRequestRouter& Router() { return m_router; }
    IService* Service(int place) const;
    bool AutoUpdate() const { return m_autoUpdate; }

private:
    void LogBanner();
    void LogServerName();
    void CreateServices();

    CServerContext& m_context;
    CRequestRouter m_router;
    std::array<ServiceFactory, kServicePlaces> m_factories;
    std::array<std::unique_ptr<IService>, kServicePlaces> m_services;
    bool m_started = false;
    bool m_autoUpdate = true;
    bool m_channelsRequired = false;
    IUpdateCheck* m_updateCheck = nullptr;
    std::string m_startFailure;
};

}  // namespace vantor
