#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/messagedialog.h>

#include "client/desktop/FrameDialogs.h"

namespace vantor::desktop {

namespace {

class BasicDialogs : public FrameDialogs {
public:
    explicit BasicDialogs(Gtk::Window& owner) : m_owner(owner) {}

    void About(const std::string& version) override {
        Gtk::MessageDialog dialog(m_owner, "Vantor " + version, false, Gtk::MESSAGE_INFO,
                                  Gtk::BUTTONS_OK, true);
        dialog.set_title("Vantor Dialog");
        dialog.set_secondary_text("Remote control for your music player.");
        m_open = true;
        dialog.run();
        m_open = false;
    }

    void SelectEqPreset(const std::vector<std::string>& presets,
                        std::function<void(const std::string&)> chosen) override {
        m_menu = std::make_unique<Gtk::Menu>();
        if (presets.empty()) {
            auto* item = Gtk::manage(new Gtk::MenuItem("(No Presets)"));
            item->set_sensitive(false);
            m_menu->append(*item);
        }
        for (const std::string& preset : presets) {
            auto* item = Gtk::manage(new Gtk::MenuItem(preset));
            item->signal_activate().connect([chosen, preset] { chosen(preset); });
            m_menu->append(*item);
        }
        m_menu->show_all();
        m_menu->attach_to_widget(m_owner);
        m_menu->popup_at_pointer(nullptr);
    }

    bool IsOpen() const override { return m_open || (m_menu && m_menu->get_visible()); }

private:
    Gtk::Window& m_owner;
    std::unique_ptr<Gtk::Menu> m_menu;
    bool m_open = false;
};

}  // namespace

std::unique_ptr<FrameDialogs> MakeBasicDialogs(Gtk::Window& owner) {
    return std::make_unique<BasicDialogs>(owner);
}

}  // namespace vantor::desktop
