#pragma once

// One vantorctl run's connection: settings, the link, the client update check, and calls
// that turn link and server failures into exit statuses with their messages.

#include <memory>
#include <string>

#include "client/ctl/CtlOptions.h"
#include "client/ctl/CtlOutput.h"
#include "client/link/ServerLink.h"
#include "client/settings/ClientProfile.h"
#include "client/settings/ClientSettings.h"

namespace vantor::ctl {

class CtlSession {
public:
    CtlSession(const Options& options, const Output& output);

    const Options& Opts() const { return m_options; }
    const Output& Out() const { return m_output; }
    client::ServerLink& Link() { return m_link; }
    const client::ClientSettings& Settings() const { return m_settings; }

    // Connects (discovering when no server was given) and runs the update check. kExitOk,
    // or kExitNoServer with its message printed; an applied update ends the run with
    // kExitOk and `updated` set.
    int Connect(bool& updated);

    // Sends the request and waits for its response. kExitOk with the response, else the
    // exit status after printing why (a result code other than 0 included, with its text).
    int Call(CRequestMessage& request, std::unique_ptr<CResponseMessage>& response);
    // For requests whose response carries nothing but the result.
    int Call(std::unique_ptr<CRequestMessage> request);

private:
    int CheckForUpdate(bool& updated);

    Options m_options;
    const Output& m_output;
    client::ClientProfile m_profile;
    client::ClientSettings m_settings;
    client::ServerLink m_link;
};

}  // namespace vantor::ctl
