// Scrolling the artist list of a 100,000-track library in the desktop remote's library view:
// the real QRM indexes a generated library, the view (the same LibraryPane VantorPC shows)
// runs on a private X server, and each jump of the scroll bar to a part of the list not seen
// yet is timed from the scroll to the first drawing in which every row in view has its
// text. Beside it, in the same run: the same jumps back to parts already received (drawing
// alone), and one BrowseLibraryRequest round trip for a page (the server's part). Counts
// the page requests: only pages that came into view may be asked for.
//
// vantor_library_scroll_bench [tracks] [jumps]   (default 100000 and 40)

#include <glibmm/main.h>
#include <gtkmm/adjustment.h>
#include <gtkmm/application.h>
#include <gtkmm/window.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "client/desktop/LibraryPane.h"
#include "client/desktop/MainLoopPost.h"
#include "client/link/LinkListener.h"
#include "client/link/Requests.h"
#include "client/link/ServerLink.h"
#include "tests/client/desktop/DesktopSession.h"
#include "tests/support/QrmProcess.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace vantor;

// The link's library answers, handed to the browser on the main loop as the window does.
class Forwarder : public client::LinkListener {
public:
    Forwarder(desktop::MainLoopPost& post, desktop::LibraryPane& pane)
        : m_post(post), m_pane(pane) {}
    void OnLibraryListingReceived(const std::string&, const CBrowseLibraryResponse& r) override {
        m_post.Post([this, r] { m_pane.Browser().OnListing(r); });
    }

private:
    desktop::MainLoopPost& m_post;
    desktop::LibraryPane& m_pane;
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * values.size()))];
}

void Report(const char* what, const std::vector<double>& ms) {
    std::printf("%-44s median %6.1f ms   p90 %6.1f ms   max %6.1f ms   (%zu)\n", what,
                Percentile(ms, 0.5), Percentile(ms, 0.9), Percentile(ms, 1.0), ms.size());
}

// Runs the main loop until `done` or the timeout; false on timeout.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto context = Glib::MainContext::get_default();
    while (!done()) {
        if (Clock::now() > deadline) return false;
        context->iteration(false);
        if (!done()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Numbers only: scripts/bench.sh may pass other benchmarks' options to every one.
    auto number = [&](int index, int fallback) {
        const int value = argc > index ? std::atoi(argv[index]) : 0;
        return value > 0 ? value : fallback;
    };
    const int tracks = number(1, 100000);
    const int jumps = number(2, 40);

    test::VirtualDisplay display;
    if (!display.Start(800, 600)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", display.Name().c_str(), 1);
    setenv("GTK_THEME", "Adwaita", 1);
    setenv("NO_AT_BRIDGE", "1", 1);

    const std::string work = test::MakeTempDir("vantor-scroll-bench-");
    tools::ITunesLibraryOptions options;
    options.tracks = tracks;
    if (!tools::WriteITunesLibraryFile(options, work + "library.xml")) return 1;
    test::CQrmProcess qrm;
    qrm.SetWorkingDirectory(work);
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    qrm.SetConfig("Paths\\iTunesXML", work + "library.xml");
    if (!qrm.Start()) return 1;
    const auto indexStart = Clock::now();

    int gtkArgc = 1;
    auto app = Gtk::Application::create(gtkArgc, argv, "", Gio::APPLICATION_NON_UNIQUE);
    app->register_application();

    client::ServerLink link;
    desktop::MainLoopPost post;
    auto pane = std::make_unique<desktop::LibraryPane>(link);
    Forwarder forwarder(post, *pane);
    link.SetListener(&forwarder);
    if (link.Connect("127.0.0.1:" + std::to_string(qrm.XmlPort())) != 0) return 1;

    // Indexed once the top of the tree answers.
    auto indexed = [&] {
        auto request = client::requests::BrowseLibrary("\\", 0, 1);
        std::unique_ptr<CResponseMessage> response;
        return link.SendAndWait(*request, response) == 0 && response && response->ReturnCode() == 0;
    };
    while (!indexed()) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::printf("%d tracks indexed in %.1f s\n", tracks,
                std::chrono::duration<double>(Clock::now() - indexStart).count());

    Gtk::Window window;
    window.set_default_size(372, 178);  // the default skin's "medialib.tagview"
    window.add(pane->List());
    window.show_all();

    client::LibraryBrowser& browser = pane->Browser();
    pane->Browser().BrowseToBreadcrumb(0);
    if (!RunUntil([&] { return browser.RowCount() > 0 && browser.Row(0); })) return 1;
    int32_t artistsRow = -1;
    for (int32_t i = 0; i < browser.RowCount(); ++i)
        if (browser.Row(i) && browser.Row(i)->name == "Artists") artistsRow = i;
    if (artistsRow < 0 || !browser.Open(artistsRow)) return 1;
    if (!RunUntil([&] { return browser.Title() == "Artists" && browser.Row(0); })) return 1;
    const int32_t rows = browser.RowCount();

    auto* scrolled = dynamic_cast<Gtk::ScrolledWindow*>(&pane->List());
    Gtk::TreeView& tree = *dynamic_cast<Gtk::TreeView*>(scrolled->get_child());
    Glib::RefPtr<Gtk::Adjustment> adjustment = scrolled->get_vadjustment();

    // The drawing after a scroll in which every row in view has its text.
    bool waiting = false;
    Clock::time_point drawn;
    std::set<int32_t> pagesInView;
    tree.signal_draw().connect(
        [&](const Cairo::RefPtr<Cairo::Context>&) {
            if (!waiting) return false;
            Gtk::TreeModel::Path first;
            Gtk::TreeModel::Path last;
            if (!tree.get_visible_range(first, last) || first.empty() || last.empty()) return false;
            for (int32_t row = first[0]; row <= last[0]; ++row)
                if (!browser.Row(row)) return false;
            for (int32_t row = first[0]; row <= last[0]; ++row) pagesInView.insert(row / 50);
            drawn = Clock::now();
            waiting = false;
            return false;
        },
        true);

    RunUntil([] { return false; }, 300);  // settle the first drawing
    pagesInView.insert(0);
    const int asked0 = browser.PageRequests();
    auto jump = [&](double fraction) {
        const double top = adjustment->get_lower() +
                           fraction * (adjustment->get_upper() - adjustment->get_page_size());
        waiting = true;
        const auto start = Clock::now();
        adjustment->set_value(top);
        if (!RunUntil([&] { return !waiting; })) return -1.0;
        return std::chrono::duration<double, std::milli>(drawn - start).count();
    };
    std::vector<double> fresh;
    std::vector<double> seen;
    std::vector<double> fractions;
    for (int i = 0; i < jumps; ++i) fractions.push_back(((i * 7919) % 1000) / 1000.0);
    for (double f : fractions) fresh.push_back(jump(f));
    const int asked = browser.PageRequests() - asked0;
    for (double f : fractions) seen.push_back(jump(f));
    const int askedAgain = browser.PageRequests() - asked0 - asked;

    std::vector<double> roundTrips;
    for (int i = 0; i < jumps; ++i) {
        auto request = client::requests::BrowseLibrary("\\Music\\Artists", (i * 97 % rows), 50);
        std::unique_ptr<CResponseMessage> response;
        const auto start = Clock::now();
        link.SendAndWait(*request, response);
        roundTrips.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

    std::printf("artists: %d rows, %d pages; %d jumps\n", rows, (rows + 49) / 50, jumps);
    Report("scroll to rows not received, until drawn", fresh);
    Report("reference: scroll to rows received (draw)", seen);
    Report("reference: one page request round trip", roundTrips);
    std::printf(
        "pages asked for: %d for %zu pages that came into view (first page apart); "
        "again on return: %d\n",
        asked, pagesInView.size() - 1, askedAgain);

    // Only pages that came into view may have been asked for, and none twice.
    const bool onlyInView = asked <= static_cast<int>(pagesInView.size()) - 1 && askedAgain == 0;
    if (!onlyInView) std::printf("FAILED: pages were asked for that never came into view\n");

    link.SetListener(nullptr);
    link.Disconnect();
    window.remove();
    pane.reset();
    qrm.Stop();
    std::filesystem::remove_all(work);
    display.Stop();
    return onlyInView ? 0 : 1;
}
