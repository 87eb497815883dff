// The second half of an update: download into the update folder, verify, start.

#include <strings.h>

#include <filesystem>

#include "client/update/ClientUpdater.h"
#include "client/update/FileDigest.h"
#include "client/update/HttpFetch.h"
#include "client/update/InstallerLauncher.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/shell/update/SoftwareUpdate.h"
#include "server/shell/update/UpdateNotify.h"

namespace vantor {

namespace {

// A transfer that moves less than 100 bytes a second for this long has stalled.
constexpr long kStallSeconds = 60;

}  // namespace

std::string CSoftwareUpdate::Download(const CVersionInfoBody& offer) {
    CLogger& log = m_context.logger;
    const std::string folder = DownloadFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = client::ClientUpdater::InstallerPath(offer.updateURL, folder);

    log.LogNormal("Beginning download of new version");
    client::FetchResult result;
    if (path.empty()) {
        result.error = "the download address names no file: " + offer.updateURL;
    } else {
        client::FetchOptions options;
        options.timeoutSeconds = 0;  // an installer may take long on a slow line
        options.stallSeconds = kStallSeconds;
        options.viaProxy = true;
        int shown = -1;
        options.progress = [this, &shown](int64_t received, int64_t total) {
            if (Cancelled()) return false;
            const int percent = total > 0 ? static_cast<int>(received * 100 / total) : 0;
            if (percent != shown && m_notify) m_notify->OnDownloadProgress(percent);
            shown = percent;
            return true;
        };
        result = client::FetchToFile(offer.updateURL, path, options);
    }
    if (Cancelled()) {
        log.LogNormal("Update download cancelled");
        return "";
    }
    bool ok = result.Ok();
    if (!ok) {
        log.LogNormal("Update download: %s", result.error.c_str());
    } else {
        if (m_notify) m_notify->OnDownloadFinished();
        const std::string digest = client::Md5OfFile(path);
        ok = digest == offer.checksum;
        if (!ok)
            log.LogNormal("Update download: the checksum is %s, expected %s", digest.c_str(),
                          offer.checksum.c_str());
    }
    log.LogNormal(ok ? "Auto-update download successful" : "Auto-update download failed");
    if (m_notify) m_notify->OnDownloadResult(ok);
    return ok ? path : "";
}

void CSoftwareUpdate::StartProgram(const std::string& path, const std::string& parameters) {
    CLogger& log = m_context.logger;
    if (client::StartInstaller(path, parameters)) {
        log.LogNormal("Started the update installer %s", path.c_str());
    } else {
        log.LogCritical("ERROR: Unable to start the update installer %s", path.c_str());
    }
}

}  // namespace vantor
