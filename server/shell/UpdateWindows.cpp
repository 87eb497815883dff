#include "server/shell/UpdateWindows.h"

#include "server/shell/update/SoftwareUpdate.h"

namespace vantor::shell {

namespace {

std::string NameOf(const CVersionInfoBody& offer) {
    return offer.name.empty() ? std::string("Vantor") : offer.name;
}

Gtk::Label* MakeLabel(const std::string& text, bool wrap = true) {
    auto* label = Gtk::make_managed<Gtk::Label>(text);
    label->set_xalign(0);
    label->set_line_wrap(wrap);
    label->set_max_width_chars(56);
    return label;
}

Gtk::Label* MakeHeading(const std::string& text) {
    auto* label = MakeLabel("");
    label->set_markup("<span size='large' weight='bold'>" + Glib::Markup::escape_text(text) +
                      "</span>");
    return label;
}

}  // namespace

CUpdateWindows::CUpdateWindows(CSoftwareUpdate& update, CMainLoopQueue& queue)
    : m_update(update), m_queue(queue), m_runningVersion(update.RunningVersion()) {}

CUpdateWindows::~CUpdateWindows() = default;

std::string CUpdateWindows::OfferHeading(const CVersionInfoBody& offer) {
    return "A new version of " + NameOf(offer) + " is available!";
}

std::string CUpdateWindows::OfferText(const CVersionInfoBody& offer, const std::string& running) {
    return NameOf(offer) + " " + offer.version + " is now available (you have " + running +
           "). Would you like to download it now?";
}

void CUpdateWindows::OnUpdateOffer(const CVersionInfoBody& offer, bool newer) {
    m_queue.Post([this, offer, newer] { newer ? ShowOffer(offer) : ShowUpToDate(offer); });
}

void CUpdateWindows::OnCheckFailed(const std::string& reason) {
    m_queue.Post([this, reason] {
        ShowMessage("Check for Updates - Vantor", "Unable to check for updates", reason,
                    Gtk::MESSAGE_WARNING);
    });
}

void CUpdateWindows::OnDownloadProgress(int percent) {
    m_queue.Post([this, percent] { ShowProgress(percent); });
}

void CUpdateWindows::OnDownloadFinished() {
    m_queue.Post([this] { ShowVerifying(); });
}

void CUpdateWindows::OnDownloadResult(bool ready) {
    m_queue.Post([this, ready] { ShowResult(ready); });
}

void CUpdateWindows::OnCheckEnded() {
    m_queue.Post([this] {
        m_checkOver = true;
        if (m_offer) m_offer->hide();
        if (m_download) m_download->hide();
        m_checkOver = false;
    });
}

void CUpdateWindows::ShowOffer(const CVersionInfoBody& offer) {
    m_offerHidden.disconnect();  // replacing the old window answers nothing
    m_offer = std::make_unique<Gtk::Window>();
    Gtk::Window& window = *m_offer;
    window.set_title("Vantor Software Update");
    window.set_border_width(18);
    window.set_default_size(520, -1);
    window.set_position(Gtk::WIN_POS_CENTER);

    auto* box = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_VERTICAL, 10);
    box->pack_start(*MakeHeading(OfferHeading(offer)), Gtk::PACK_SHRINK);
    box->pack_start(*MakeLabel(OfferText(offer, m_runningVersion)), Gtk::PACK_SHRINK);
    auto* notesLabel = MakeLabel("");
    notesLabel->set_markup("<b>Release Notes:</b>");
    notesLabel->set_margin_top(6);
    box->pack_start(*notesLabel, Gtk::PACK_SHRINK);

    auto* notes = Gtk::make_managed<Gtk::TextView>();
    notes->set_editable(false);
    notes->set_cursor_visible(false);
    notes->set_wrap_mode(Gtk::WRAP_WORD);
    notes->set_left_margin(8);
    notes->set_right_margin(8);
    notes->set_top_margin(6);
    notes->get_buffer()->set_text(offer.description.empty() ? "(no description)"
                                                            : offer.description);
    auto* scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
    scroller->set_shadow_type(Gtk::SHADOW_IN);
    scroller->set_size_request(-1, 140);
    scroller->add(*notes);
    box->pack_start(*scroller, Gtk::PACK_EXPAND_WIDGET);

    auto* buttons = Gtk::make_managed<Gtk::ButtonBox>(Gtk::ORIENTATION_HORIZONTAL);
    buttons->set_layout(Gtk::BUTTONBOX_END);
    buttons->set_spacing(8);
    buttons->set_margin_top(6);
    auto* skip = Gtk::make_managed<Gtk::Button>("_Skip this version", true);
    auto* later = Gtk::make_managed<Gtk::Button>("_Remind me later", true);
    auto* install = Gtk::make_managed<Gtk::Button>("_Install update", true);
    install->get_style_context()->add_class("suggested-action");
    buttons->add(*skip);
    buttons->add(*later);
    buttons->add(*install);
    buttons->set_child_secondary(*skip);
    box->pack_start(*buttons, Gtk::PACK_SHRINK);
    window.add(*box);

    const std::string version = offer.version;
    skip->signal_clicked().connect([this, version] {
        m_update.SkipVersion(version);
        m_offer->hide();
    });
    later->signal_clicked().connect([this] { m_offer->hide(); });
    install->signal_clicked().connect([this] {
        ShowDownload();
        m_offer->hide();
        m_update.AcceptDownload();
    });
    // Any way of closing that did not accept ends the check.
    m_offerHidden = window.signal_hide().connect([this] {
        if (!m_checkOver && (!m_download || !m_download->get_visible())) m_update.Cancel();
    });
    window.show_all();
    install->grab_focus();
    window.present();
}

void CUpdateWindows::ShowUpToDate(const CVersionInfoBody& offer) {
    ShowMessage("Check for Updates - Vantor", "You're up to date!",
                NameOf(offer) + " " + offer.version + " is currently the newest version available.",
                Gtk::MESSAGE_INFO);
}

void CUpdateWindows::ShowMessage(const std::string& title, const std::string& heading,
                                 const std::string& text, Gtk::MessageType type) {
    m_message = std::make_unique<Gtk::MessageDialog>(heading, false, type, Gtk::BUTTONS_OK);
    m_message->set_title(title);
    m_message->set_secondary_text(text);
    m_message->set_position(Gtk::WIN_POS_CENTER);
    m_message->signal_response().connect([this](int) { m_message->hide(); });
    m_message->show();
    m_message->present();
}

void CUpdateWindows::ShowDownload() {
    m_installing = false;
    m_download = std::make_unique<Gtk::Window>();
    Gtk::Window& window = *m_download;
    window.set_title("Vantor Software Update");
    window.set_border_width(18);
    window.set_default_size(420, -1);
    window.set_resizable(false);
    window.set_position(Gtk::WIN_POS_CENTER);

    auto* box = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_VERTICAL, 12);
    m_downloadStatus = MakeLabel("");
    m_downloadStatus->set_markup("<b>Downloading update...</b>");
    m_progress = Gtk::make_managed<Gtk::ProgressBar>();
    m_progress->set_show_text(true);
    m_progress->set_fraction(0);
    auto* buttons = Gtk::make_managed<Gtk::ButtonBox>(Gtk::ORIENTATION_HORIZONTAL);
    buttons->set_layout(Gtk::BUTTONBOX_END);
    buttons->set_spacing(8);
    auto* cancel = Gtk::make_managed<Gtk::Button>("_Cancel", true);
    m_install = Gtk::make_managed<Gtk::Button>("_Install & Relaunch", true);
    m_install->set_sensitive(false);
    m_install->get_style_context()->add_class("suggested-action");
    buttons->add(*cancel);
    buttons->add(*m_install);
    box->pack_start(*m_downloadStatus, Gtk::PACK_SHRINK);
    box->pack_start(*m_progress, Gtk::PACK_SHRINK);
    box->pack_start(*buttons, Gtk::PACK_SHRINK);
    window.add(*box);

    cancel->signal_clicked().connect([this] { CloseDownload(true); });
    m_install->signal_clicked().connect([this] {
        m_installing = true;
        m_update.Install();
        CloseDownload(false);
    });
    window.signal_delete_event().connect([this](GdkEventAny*) {
        CloseDownload(true);
        return true;
    });
    window.show_all();
    window.present();
}

void CUpdateWindows::CloseDownload(bool cancel) {
    if (cancel && !m_installing && !m_checkOver) m_update.Cancel();
    if (m_download) m_download->hide();
}

void CUpdateWindows::ShowProgress(int percent) {
    if (!m_progress) return;
    m_progress->set_fraction(std::clamp(percent, 0, 100) / 100.0);
    m_progress->set_text(std::to_string(percent) + " %");
}

void CUpdateWindows::ShowVerifying() {
    if (!m_downloadStatus) return;
    m_downloadStatus->set_markup("<b>Verifying update...</b>");
    m_progress->set_fraction(1.0);
    m_progress->set_text("100 %");
}

void CUpdateWindows::ShowResult(bool ready) {
    if (!ready) {
        if (m_download) m_download->hide();
        ShowMessage("Vantor Software Update", "Update Download Failed",
                    "An error occurred while trying to download the update. Please try again "
                    "later.",
                    Gtk::MESSAGE_ERROR);
        return;
    }
    if (!m_downloadStatus) return;
    m_downloadStatus->set_markup("<b>Ready to install!</b>");
    m_install->set_sensitive(true);
    m_install->grab_focus();
}

}  // namespace vantor::shell
