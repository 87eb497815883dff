#pragma once

#include <gtkmm.h>

#include <functional>
#include <string>

namespace vantor {
class CConfigStore;
}

namespace vantor::shell {

// "Vantor Server": the player to control and the address to type into a phone's browser.
// Closing it only hides it; the program lives on in the notification area. Main thread.
class CServerWindow : public Gtk::Window {
public:
    // Called with the chosen player type (PlayerType numbers) when the user picks one.
    using PlayerChosen = std::function<void(int playerType)>;

    CServerWindow(const CConfigStore& config, PlayerChosen onPlayerChosen,
                  std::function<void()> onShowLog);

    // Selects the effective PlayerType (nothing for a type the list does not hold).
    void ShowPlayerType(int playerType);
    // Shows the web access address, or "(No network connection)".
    void ShowWebAccessUrl(const std::string& url);
    // Shows the window, restored and in front.
    void Present();

    // The text shown for a "WebAccessURL": the loopback address means no network.
    static std::string WebAddressText(const std::string& url);
    // The list's players in order (iTunes, Winamp, Windows Media Player, MPD).
    static int PlayerTypeAt(int row);
    static int RowOfPlayerType(int playerType);

private:
    bool on_delete_event(GdkEventAny* event) override;

    PlayerChosen m_onPlayerChosen;
    bool m_showing = false;  // ShowPlayerType is selecting: not the user's choice

    Gtk::Box m_box{Gtk::ORIENTATION_VERTICAL, 10};
    Gtk::Label m_playerLabel;
    Gtk::ComboBoxText m_players;
    Gtk::Label m_urlLabel;
    Gtk::Frame m_urlFrame;
    Gtk::Label m_url;
    Gtk::ButtonBox m_buttons{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::Button m_log;
    Gtk::Button m_hide;
    Gtk::Button m_cancel;
};

}  // namespace vantor::shell
