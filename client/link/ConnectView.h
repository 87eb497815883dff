#pragma once

// What the connect loop asks of the window layer: the connect screen's state, the status
// line, the connecting animation and message boxes. Calls come from the connect worker's
// and the keeper's threads; a window layer marshals them to its own thread (a message box
// may be shown without waiting for it to close).

#include <string>

namespace vantor::client {

class ConnectView {
public:
    virtual ~ConnectView() = default;

    virtual bool IsConnectScreenShown() = 0;
    // The status line: the connect screen's when it is shown, else the title line.
    virtual std::string StatusText() = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // Connecting on: the connect screen's progress bar runs.
    virtual void SetConnecting(bool connecting) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    // A reconnect begins: show the main screen unless the main or connect screen is shown.
    virtual void ShowMainScreenIfAway() {}
    // The link connected and the client version request went out.
    virtual void OnConnected() {}
};

// The texts of the connect loop.
inline constexpr char kDiscoveringText[] = "Discovering Vantor Server...";
inline constexpr char kUnableToDiscoverText[] = "Unable to discover Vantor server";
inline constexpr char kAutoDiscoveryFailureText[] =
    "Unable to auto-discover Vantor server. Either the server is not running or auto-discovery "
    "is not possible with your current network configuration. If the server is running, please "
    "enter the IP address you wish to connect to.";
inline constexpr char kAutoDiscoveryFailureTitle[] = "Auto-discovery Failure";
inline constexpr char kReconnectingText[] = "Reconnecting...";
inline constexpr char kNetworkDisconnectedText[] = "Network Disconnected";

}  // namespace vantor::client
