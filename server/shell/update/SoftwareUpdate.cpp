#include "server/shell/update/SoftwareUpdate.h"

#include "client/update/ClientVersion.h"
#include "client/update/HttpFetch.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/shell/update/UpdateNotify.h"
#include "server/shell/update/UpdateQuery.h"

namespace vantor {

namespace {

// An update description is a few hundred bytes; anything near this is not one.
constexpr size_t kMaxDocumentBytes = 1u << 20;
constexpr long kDocumentTimeoutSeconds = 30;

bool IsNewer(const std::string& version, const std::string& than) {
    return client::ClientVersion::Parse(version).IsNewerThan(client::ClientVersion::Parse(than));
}

}  // namespace

CSoftwareUpdate::CSoftwareUpdate(CServerContext& context, std::string runningVersion)
    : m_context(context), m_runningVersion(std::move(runningVersion)), m_thread(context.logger) {}

CSoftwareUpdate::~CSoftwareUpdate() {
    Stop();
}

std::string CSoftwareUpdate::DownloadFolder() const {
    return m_context.config.GetDataFolder() + "update/";
}

CSoftwareUpdate::State CSoftwareUpdate::GetState() const {
    std::lock_guard lock(m_mutex);
    return m_state;
}

void CSoftwareUpdate::SetState(State state) {
    {
        std::lock_guard lock(m_mutex);
        if (m_state == kIdle) return;  // no check to answer
        m_state = state;
    }
    m_changed.notify_all();
}

void CSoftwareUpdate::Cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_cancel = true;
    }
    m_changed.notify_all();
}

void CSoftwareUpdate::SkipVersion(const std::string& version) {
    m_context.config.SetString("UpdateSkipVersion", version);
    Cancel();
}

bool CSoftwareUpdate::WaitForState(State state) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_cancel.load() || m_state >= state; });
    return !m_cancel.load();
}

bool CSoftwareUpdate::Start(bool userStarted) {
    if (m_thread.IsRunning()) {
        if (GetState() >= kDownload) return false;
        Cancel();
        m_thread.Stop();
    }
    {
        std::lock_guard lock(m_mutex);
        m_cancel = false;
        m_state = kChecking;
    }
    if (m_thread.Start("Software Update Thread", [this, userStarted] { Run(userStarted); }) == 0)
        return true;
    std::lock_guard lock(m_mutex);
    m_state = kIdle;
    return false;
}

void CSoftwareUpdate::Stop() {
    Cancel();
    m_thread.Stop();
}

void CSoftwareUpdate::Run(bool userStarted) {
    CVersionInfoBody offer;
    bool beta = false;
    if (Check(userStarted, offer, beta) && WaitForState(kDownload)) {
        const std::string path = Download(offer);
        if (!path.empty() && WaitForState(kInstall)) StartProgram(path, offer.parameters);
    }
    {
        std::lock_guard lock(m_mutex);
        m_state = kIdle;
    }
    if (m_notify) m_notify->OnCheckEnded();
}

void CSoftwareUpdate::Fail(bool userStarted, const std::string& reason) {
    if (userStarted && m_notify && !Cancelled()) m_notify->OnCheckFailed(reason);
}

bool CSoftwareUpdate::FetchOffer(const std::string& endpoint, CVersionInfoBody& offer,
                                 std::string& why) {
    client::FetchOptions options;
    options.timeoutSeconds = kDocumentTimeoutSeconds;
    options.viaProxy = true;
    options.progress = [this](int64_t, int64_t) { return !Cancelled(); };
    const std::string url =
        UpdateQueryUrl(endpoint, m_runningVersion, InstallationId(), UpdatePlatformNumber());
    std::string document;
    const client::FetchResult result =
        client::FetchToMemory(url, document, options, kMaxDocumentBytes);
    if (!result.Ok()) {
        why = result.error;
        return false;
    }
    RemoveSpans(document, "<!--", "-->");
    CVersionInformation info(msg::VersionInformation);
    info.FromXml(document);
    offer = info.Body();
    if (offer.version.empty()) {
        why = "the answer is no update description";
        return false;
    }
    return true;
}

bool CSoftwareUpdate::Check(bool userStarted, CVersionInfoBody& offer, bool& beta) {
    CLogger& log = m_context.logger;
    const CConfigStore& config = m_context.config;
    const bool allowInsecure = config.GetBool("AllowInsecureUpdate", false);
    const std::string endpoint = config.GetString("UpdateURL", "");
    if (endpoint.empty()) {
        log.LogDetailed("Software update: no update address is set (UpdateURL)");
        Fail(userStarted, "No update address is set (UpdateURL in QRM.config).");
        return false;
    }
    if (!IsUpdateUrlAllowed(endpoint, allowInsecure)) {
        log.LogCritical(
            "ERROR: Update check refused: %s is not an https address "
            "(AllowInsecureUpdate is not set)",
            endpoint.c_str());
        Fail(userStarted, "The update address is not a secure (https) address.");
        return false;
    }
    std::string why;
    if (!FetchOffer(endpoint, offer, why)) {
        if (!Cancelled()) log.LogNormal("Update check failed: %s", why.c_str());
        Fail(userStarted, "The update service could not be reached. Please try again later.");
        return false;
    }
    const std::string betaEndpoint = config.GetString("BetaUpdateURL", "");
    if (!betaEndpoint.empty()) {
        CVersionInfoBody betaOffer;
        if (!IsUpdateUrlAllowed(betaEndpoint, allowInsecure)) {
            log.LogCritical(
                "ERROR: Beta update check refused: %s is not an https address "
                "(AllowInsecureUpdate is not set)",
                betaEndpoint.c_str());
        } else if (!FetchOffer(betaEndpoint, betaOffer, why)) {
            if (!Cancelled()) log.LogNormal("Beta update check failed: %s", why.c_str());
        } else if (IsNewer(betaOffer.version, offer.version)) {
            offer = betaOffer;
            beta = true;
        }
    }
    if (Cancelled()) return false;

    if (!IsNewer(offer.version, m_runningVersion)) {
        log.LogDetailed("Software update: %s is the newest version", offer.version.c_str());
        if (userStarted && m_notify) m_notify->OnUpdateOffer(offer, false);
        return false;
    }
    if (beta) {
        log.LogNormal("New application version available: %s [%s]", offer.version.c_str(), "beta");
    } else {
        log.LogNormal("New application version available: %s", offer.version.c_str());
    }
    if (!IsUpdateUrlAllowed(offer.updateURL, allowInsecure)) {
        log.LogCritical(
            "ERROR: Update download refused: %s is not an https address "
            "(AllowInsecureUpdate is not set)",
            offer.updateURL.c_str());
        Fail(userStarted, "The update is not offered over a secure (https) address.");
        return false;
    }
    // The user who asks is shown even a version skipped before.
    if (!userStarted && offer.version == config.GetString("UpdateSkipVersion", "")) {
        log.LogDetailed("Software update: version %s is skipped", offer.version.c_str());
        return false;
    }
    if (!m_notify) return false;  // nobody to accept it
    m_notify->OnUpdateOffer(offer, true);
    return true;
}

}  // namespace vantor
