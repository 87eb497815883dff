#include "client/update/ClientUpdater.h"

#include <cstdio>

#include "client/update/FileDigest.h"
#include "client/update/HttpFetch.h"
#include "client/update/InstallerLauncher.h"

namespace vantor::client {

namespace {

constexpr char kLoopback[] = "127.0.0.1";

std::string ErrorText(const std::string& url) {
    return "There was a problem downloading the update, please try again later.\n"
           "You can also install it by hand: download the installer from " +
           url + " and run it.";
}

}  // namespace

std::string ClientUpdater::DownloadLocation(const std::string& url, const std::string& serverHost) {
    std::string location = url;
    if (serverHost.empty() || serverHost == kLoopback) return location;
    for (size_t at = location.find(kLoopback); at != std::string::npos;
         at = location.find(kLoopback, at + serverHost.size()))
        location.replace(at, sizeof(kLoopback) - 1, serverHost);
    return location;
}

std::string ClientUpdater::InstallerPath(const std::string& url, const std::string& installFolder) {
    const std::string name = url.substr(url.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == ".." || name.find('\\') != std::string::npos)
        return "";
    return installFolder + name;
}

UpdateOutcome ClientUpdater::OnClientVersion(const CClientVersionBody& offer,
                                             const UpdateContext& context) {
    const bool newer =
        ClientVersion::Parse(offer.version).IsNewerThan(ClientVersion::Parse(context.ownVersion));
    UpdateOutcome outcome = UpdateOutcome::kNoUpdate;
    if (newer) {
        outcome = UpdateOutcome::kDeclined;
        if (m_prompt.AskYesNo(kUpdateQuestionText, kUpdateQuestionTitle)) {
            std::string error;
            if (DownloadAndApply(offer, context, error)) return UpdateOutcome::kApplied;
            m_prompt.ShowError(ErrorText(DownloadLocation(offer.url, context.serverHost)),
                               kUpdateErrorTitle);
            outcome = UpdateOutcome::kFailed;
        }
    }
    // No update was taken: an installer left behind by an earlier one goes.
    const std::string leftover = InstallerPath(offer.url, context.installFolder);
    if (!offer.url.empty() && !leftover.empty()) std::remove(leftover.c_str());
    return outcome;
}

bool ClientUpdater::DownloadAndApply(const CClientVersionBody& offer, const UpdateContext& context,
                                     std::string& error) {
    m_prompt.ShowProgress(kDownloadingUpdateText);
    const std::string path = InstallerPath(offer.url, context.installFolder);
    if (path.empty()) {
        error = "the download location names no file";
        return false;
    }
    const FetchResult fetched = FetchToFile(DownloadLocation(offer.url, context.serverHost), path);
    if (!fetched.Ok()) {
        error = fetched.error;
        return false;
    }
    if (Md5OfFile(path) != offer.checksum) {
        error = "checksum mismatch";
        return false;
    }
    m_prompt.ShowProgress(kApplyingUpdateText);
    if (!StartInstaller(path, offer.parameters)) {
        error = "the installer could not be started";
        return false;
    }
    return true;
}

}  // namespace vantor::client
