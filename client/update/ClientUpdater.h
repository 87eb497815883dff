#pragma once

// What a client does with the server's answer to its version request: when the server
// holds a newer client, offer it; on yes download the installer from the server, check its
// MD5 checksum and start it, after which the client quits. Otherwise a leftover installer
// of an earlier update is deleted. Either way but the first, the client then asks for the
// player state and shows its main screen (the caller's part).
//
// Threads: any; it blocks for the download. Usually called from the link's receive thread
// through LinkListener::OnClientVersionReceived, or after a SendAndWait.

#include <string>

#include "client/update/ClientVersion.h"
#include "client/update/UpdatePrompt.h"
#include "protocol/ConnectionMessages.h"

namespace vantor::client {

enum class UpdateOutcome {
    kNoUpdate,  // the offer is not newer
    kDeclined,  // the user said no
    kApplied,   // the installer runs: the client quits now
    kFailed,    // the error box was shown; the client carries on
};

struct UpdateContext {
    std::string ownVersion;     // "1.0.3.1"
    std::string installFolder;  // ends with "/": the installer is downloaded here
    std::string serverHost;     // the host the link connected to
};

class ClientUpdater {
public:
    explicit ClientUpdater(UpdatePrompt& prompt) : m_prompt(prompt) {}

    UpdateOutcome OnClientVersion(const CClientVersionBody& offer, const UpdateContext& context);

    // The location with "127.0.0.1" replaced by the server's host: the server describes
    // itself by the loopback address when it sees the client on it.
    static std::string DownloadLocation(const std::string& url, const std::string& serverHost);
    // The install folder + the location's part after its last "/"; "" when that part is
    // no plain file name.
    static std::string InstallerPath(const std::string& url, const std::string& installFolder);

private:
    // Download, checksum and start; the reason in `error` when it fails.
    bool DownloadAndApply(const CClientVersionBody& offer, const UpdateContext& context,
                          std::string& error);

    UpdatePrompt& m_prompt;
};

}  // namespace vantor::client
