// vantorctl watch: one line per event as it arrives, until SIGINT or SIGTERM. A lost
// connection is reconnected by the same loop the windowed clients use.

#include <csignal>
#include <cstdio>

#include "client/ctl/CtlCommands.h"
#include "client/ctl/CtlEvents.h"
#include "client/link/ConnectionKeeper.h"

namespace vantor::ctl {

namespace {

// Status texts and messages of the connect loop go to standard error.
class WatchView : public client::ConnectView, public client::LinkListener {
public:
    void SetKeeper(client::ConnectionKeeper* keeper) { m_keeper = keeper; }
    bool IsConnectScreenShown() override { return false; }
    std::string StatusText() override { return m_status; }
    void SetStatusText(const std::string& text) override {
        if (text.empty() || text == m_status) return;
        m_status = text;
        std::fprintf(stderr, "vantorctl: %s\n", text.c_str());
    }
    void SetConnecting(bool) override {}
    void ShowMessage(const std::string& text, const std::string& title) override {
        std::fprintf(stderr, "vantorctl: %s: %s\n", title.c_str(), text.c_str());
    }
    void OnConnected() override { std::fprintf(stderr, "vantorctl: connected\n"); }
    void OnConnectionLost() override {
        std::fprintf(stderr, "vantorctl: connection lost\n");
        if (m_keeper) m_keeper->OnConnectionLost();
    }

private:
    client::ConnectionKeeper* m_keeper = nullptr;
    std::string m_status;
};

}  // namespace

int WatchCommand(CtlSession& session, const Arguments& args) {
    if (!args.empty()) {
        Output::Error("watch takes no arguments");
        return kExitUsage;
    }
    // The signals are taken by sigwait below; main blocked them before any thread started.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);

    client::ServerLink& link = session.Link();
    const Output& out = session.Out();
    link.SetEventObserver([&out](const CMessage& event) {
        const EventText text = DescribeEvent(event);
        if (!text.plain.empty()) out.Answer(text.plain, text.json);
    });
    WatchView view;
    client::ConnectionKeeper keeper(link, view, "linux",
                                    [](std::function<void()> reaction) { reaction(); });
    view.SetKeeper(&keeper);
    // The keeper reconnects to the server this run found, not to a new discovery.
    const std::string server = link.ServerName();
    link.SetListener(&view);
    keeper.Keep(server);
    std::fprintf(stderr, "vantorctl: watching %s\n", server.c_str());

    int signal = 0;
    sigwait(&stop, &signal);
    view.SetKeeper(nullptr);
    link.SetListener(nullptr);
    keeper.Stop();
    link.SetEventObserver(nullptr);
    link.Disconnect();
    return kExitOk;
}

}  // namespace vantor::ctl
