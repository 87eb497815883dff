#include "client/ctl/CtlSession.h"

#include <cstdio>

#include "client/link/Requests.h"
#include "client/link/ServerAddress.h"
#include "client/update/ClientUpdater.h"
#include "platform/Registry.h"
#include "protocol/ResultCodes.h"

namespace vantor::ctl {

namespace {

// The command line has no one to ask: the answer is --yes, and everything is said on
// standard error so that standard output stays the command's answer.
class CtlPrompt : public client::UpdatePrompt {
public:
    explicit CtlPrompt(bool yes) : m_yes(yes) {}
    bool AskYesNo(const std::string& text, const std::string&) override {
        std::fprintf(stderr, "vantorctl: %s %s\n", text.c_str(),
                     m_yes ? "Yes (--yes)." : "No (use --yes to upgrade).");
        return m_yes;
    }
    void ShowProgress(const std::string& text) override {
        std::fprintf(stderr, "vantorctl: %s\n", text.c_str());
    }
    void ShowError(const std::string& text, const std::string& title) override {
        std::fprintf(stderr, "vantorctl: %s: %s\n", title.c_str(), text.c_str());
    }

private:
    bool m_yes;
};

}  // namespace

CtlSession::CtlSession(const Options& options, const Output& output)
    : m_options(options), m_output(output), m_profile(client::ClientProfile::Desktop()) {
    CRegistry registry;
    m_settings.Load(registry, m_profile);
    m_link.SetEndpoints(client::EndpointsFromSettings(
        m_settings.connectionPort, m_settings.discoveryAddress, m_settings.discoveryPort));
    // Diagnostics go to standard error: standard output is the answer.
    m_link.SetDiagnostics([](const std::string& line) { std::fputs(line.c_str(), stderr); });
    m_link.SetResponseWait(std::chrono::seconds(options.timeoutSeconds));
    m_link.SetConnectTimeout(options.timeoutSeconds * 1000);
}

int CtlSession::Connect(bool& updated) {
    updated = false;
    if (m_link.Connect(m_options.server) != 0) {
        Output::Error(m_options.server.empty() ? "no server found by discovery"
                                               : "cannot connect to " + m_options.server);
        return kExitNoServer;
    }
    return CheckForUpdate(updated);
}

int CtlSession::CheckForUpdate(bool& updated) {
    auto request = client::requests::GetClientVersion(m_profile.platform);
    std::unique_ptr<CResponseMessage> response;
    const int32_t sent = m_link.SendAndWait(*request, response);
    if (sent != client::kLinkOk) {
        Output::Error("the server does not answer");
        return kExitNoServer;
    }
    const auto* offer =
        client::ResponseAs<CClientVersionResponse>(response, msg::GetClientVersionResponse);
    // No update description for this platform on the server: nothing to offer.
    if (!offer || offer->ReturnCode() != kResultSuccess) return kExitOk;
    CtlPrompt prompt(m_options.yes);
    client::ClientUpdater updater(prompt);
    client::UpdateContext context{m_profile.version, m_settings.installFolder, m_link.ServerHost()};
    updated = updater.OnClientVersion(offer->Body(), context) == client::UpdateOutcome::kApplied;
    return kExitOk;
}

int CtlSession::Call(CRequestMessage& request, std::unique_ptr<CResponseMessage>& response) {
    const int32_t result = m_link.SendAndWait(request, response);
    if (result == client::kLinkNotConnected || result == client::kLinkTimeout) {
        Output::Error(result == client::kLinkTimeout ? "no answer from the server"
                                                     : "the connection to the server is lost");
        return kExitNoServer;
    }
    if (result != client::kLinkOk) {
        Output::Error(DescribeResultCode(result));
        return kExitUsage;
    }
    if (response->ReturnCode() != kResultSuccess) {
        Output::Error(DescribeResultCode(response->ReturnCode()));
        return kExitServerCode;
    }
    return kExitOk;
}

int CtlSession::Call(std::unique_ptr<CRequestMessage> request) {
    std::unique_ptr<CResponseMessage> response;
    return Call(*request, response);
}

}  // namespace vantor::ctl
