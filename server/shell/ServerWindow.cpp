#include "server/shell/ServerWindow.h"

#include "server/core/ConfigStore.h"

namespace vantor::shell {

namespace {

struct PlayerEntry {
    const char* label;
    int type;
};
constexpr PlayerEntry kPlayers[] = {
    {"iTunes", kPlayerITunes},
    {"Winamp", kPlayerWinamp},
    {"Windows Media Player", kPlayerWMP},
    {"MPD", kPlayerMPD},
};

}  // namespace

int CServerWindow::PlayerTypeAt(int row) {
    if (row < 0 || row >= static_cast<int>(std::size(kPlayers))) return kPlayerNone;
    return kPlayers[row].type;
}

int CServerWindow::RowOfPlayerType(int playerType) {
    for (int row = 0; row < static_cast<int>(std::size(kPlayers)); ++row)
        if (kPlayers[row].type == playerType) return row;
    return -1;
}

std::string CServerWindow::WebAddressText(const std::string& url) {
    if (url.empty() || url.find("//127.") != std::string::npos) return "(No network connection)";
    return url;
}

CServerWindow::CServerWindow(const CConfigStore& config, PlayerChosen onPlayerChosen,
                             std::function<void()> onShowLog)
    : m_onPlayerChosen(std::move(onPlayerChosen)),
      m_playerLabel("1. _Select the media player you'd like to control:", true),
      m_urlLabel("2. Enter the URL below into your device's web browser:"),
      m_log("_Log", true),
      m_hide("_Hide", true),
      m_cancel("_Cancel", true) {
    set_title("Vantor Server");
    set_resizable(false);
    set_border_width(18);
    set_position(Gtk::WIN_POS_CENTER);

    m_playerLabel.set_xalign(0);
    m_playerLabel.set_mnemonic_widget(m_players);
    for (const PlayerEntry& player : kPlayers) m_players.append(player.label);
    m_players.set_margin_start(16);
    m_players.set_halign(Gtk::ALIGN_START);
    m_players.set_size_request(240, -1);
    m_players.signal_changed().connect([this] {
        const int type = PlayerTypeAt(m_players.get_active_row_number());
        if (!m_showing && type != kPlayerNone) m_onPlayerChosen(type);
    });

    m_urlLabel.set_xalign(0);
    m_urlLabel.set_margin_top(8);
    m_url.set_selectable(true);
    m_url.set_margin_top(10);
    m_url.set_margin_bottom(10);
    m_url.set_margin_start(12);
    m_url.set_margin_end(12);
    m_urlFrame.add(m_url);
    m_urlFrame.set_margin_start(16);
    m_urlFrame.set_shadow_type(Gtk::SHADOW_IN);

    m_buttons.set_layout(Gtk::BUTTONBOX_END);
    m_buttons.set_spacing(8);
    m_buttons.set_margin_top(10);
    m_buttons.add(m_log);
    m_buttons.add(m_hide);
    m_buttons.add(m_cancel);
    m_log.signal_clicked().connect(std::move(onShowLog));
    m_hide.signal_clicked().connect([this] { hide(); });
    m_cancel.signal_clicked().connect([this] { hide(); });

    m_box.pack_start(m_playerLabel, Gtk::PACK_SHRINK);
    m_box.pack_start(m_players, Gtk::PACK_SHRINK);
    m_box.pack_start(m_urlLabel, Gtk::PACK_SHRINK);
    m_box.pack_start(m_urlFrame, Gtk::PACK_SHRINK);
    m_box.pack_start(m_buttons, Gtk::PACK_SHRINK);
    add(m_box);
    m_box.show_all();

    ShowPlayerType(config.GetPlayerType());
    ShowWebAccessUrl(config.GetString("WebAccessURL", ""));
}

void CServerWindow::ShowPlayerType(int playerType) {
    m_showing = true;
    const int row = RowOfPlayerType(playerType);
    if (row < 0) {
        m_players.unset_active();
    } else {
        m_players.set_active(row);
    }
    m_showing = false;
}

void CServerWindow::ShowWebAccessUrl(const std::string& url) {
    const std::string text = WebAddressText(url);
    m_url.set_markup("<span size='x-large' weight='bold'>" + Glib::Markup::escape_text(text) +
                     "</span>");
}

void CServerWindow::Present() {
    deiconify();
    show();
    present();
}

bool CServerWindow::on_delete_event(GdkEventAny*) {
    hide();
    return true;
}

}  // namespace vantor::shell
