#include "server/core/Server.h"

#include <unistd.h>

#include <climits>
#include <string>

#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"

namespace vantor {

const char* const kNoPlayerHint =
    "No player is configured and none was found: set PlayerType in QRM.config (MPD, MPRIS, "
    "Winamp, iTunes or WMP); for MPD also MPD\\Host (a socket path or host name, default "
    "127.0.0.1), MPD\\Port (6600) and MPD\\Password, then restart QRM or send it SIGHUP. "
    "scripts/start-with-mpd.sh does all of this with a private MPD.";

namespace {

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace

CServer::CServer(CServerContext& context) : m_context(context), m_router(context) {}

CServer::~CServer() {
    Stop();
}

bool CServer::SetServiceFactory(int place, ServiceFactory factory) {
    if (place < 0 || place >= kServicePlaces) return false;
    m_factories[place] = std::move(factory);
    return true;
}

IService* CServer::Service(int place) const {
    if (place < 0 || place >= kServicePlaces) return nullptr;
    return m_services[place].get();
}

void CServer::LogBanner() {
    CLogger& log = m_context.logger;
    std::string banner = std::string("Orvex Version ") + kVersion;
    std::string dashes(36, '-');
    if (banner.size() > dashes.size()) dashes.resize(banner.size(), '-');
    log.LogNormal("%s", banner.c_str());
    log.LogNormal("%s", dashes.c_str());
    log.LogNormal("%s", "");
}

void CServer::LogServerName() {
    CConfigStore& config = m_context.config;
    std::string name = config.GetServerName();
    if (name.empty()) {
        name = HostName();
        if (!name.empty()) config.SetServerName(name);
    }
    if (!name.empty()) m_context.logger.LogNormal("Server Name: %s", name.c_str());
}

void CServer::CreateServices() {
    for (auto& service : m_services) service.reset();
    int playerType = m_context.config.GetPlayerType();
    for (int place = 0; place < kServicePlaces; ++place) {
        if (m_factories[place]) m_services[place] = m_factories[place](m_context, playerType);
    }
    // The player factory may still supply a service for "none" (a simulated player, say);
    // only when it does not is the missing player an error. MCE runs elsewhere: no service
    // and nothing to report.
    if (m_services[kPlayerPlace]) return;
    if (playerType == kPlayerNone) {
        m_context.logger.LogCritical("ERROR: No player service specified!");
        m_context.logger.LogCritical("%s", kNoPlayerHint);
    } else if (playerType != kPlayerMCE && m_factories[kPlayerPlace]) {
        m_context.logger.LogCritical("ERROR: No player service available for player type %d!",
                                     playerType);
    }
}

int CServer::Start() {
    if (m_started) return 0;
    CLogger& log = m_context.logger;
    LogBanner();
    LogServerName();
    CreateServices();
    log.LogNormal("Starting services:");
    for (auto& service : m_services) {
        if (!service) continue;
        if (log.IsEnabled(kLogNormal))
            log.LogNormal("%s %s", service->DisplayName().c_str(), service->Version().c_str());
        service->Start();
    }
    log.LogNormal("%s", "");
    m_startFailure.clear();
    if (m_router.Open() != 0 && m_channelsRequired) {
        m_startFailure = m_router.OpenFailure();
        log.LogCritical("ERROR: Server not started: %s", m_startFailure.c_str());
        m_started = true;  // so that Stop undoes what did start
        Stop();
        return -1;
    }
    log.LogNormal("Server is started");
    m_autoUpdate = m_context.config.GetBool("AutoUpdate", true);
    m_started = true;
    if (m_autoUpdate && m_updateCheck) m_updateCheck->StartAutomaticCheck();
    return 0;
}

void CServer::Stop() {
    if (!m_started) return;
    m_started = false;
    if (m_autoUpdate && m_updateCheck) m_updateCheck->StopCheck();
    m_router.Close();
    m_context.logger.LogNormal("Stopping services");
    for (auto& service : m_services)
        if (service) service->Stop();
    for (auto& service : m_services) service.reset();
}

bool CServer::ChangePlayerType(int playerType) {
    int before = m_context.config.GetPlayerType();
    m_context.config.SetPlayerType(playerType);
    if (m_context.config.GetPlayerType() == before) return false;
    if (m_started) {
        Stop();
        Start();
    }
    return true;
}

}  // namespace vantor
