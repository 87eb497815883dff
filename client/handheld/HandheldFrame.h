#pragma once

// VantorCE's window: the desktop remote's window with what the handheld profile changes.
// The window fills the screen and follows its size (each change of the window's allocation
// is a change of the screen): the face is fitted to the width, lists take the height left,
// square and landscape screens show a message instead of the screens, and the VGA skins
// are taken on screens 480 pixels wide and more. The header bar sits at the bottom within
// reach of a thumb; long presses open the lists' context menus; the phone's hardware keys
// have the handheld's codes; text fields raise the on-screen keyboard.
//
// Main thread only, as the window it extends.

#include <gtkmm/cssprovider.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stack.h>

#include <memory>
#include <string>
#include <vector>

#include "client/desktop/MainFrame.h"
#include "client/handheld/InputPanel.h"
#include "client/handheld/LongPress.h"
#include "client/handheld/ScreenRules.h"
#include "client/handheld/SearchField.h"

namespace vantor::handheld {

class HandheldFrame : public desktop::MainFrame {
public:
    HandheldFrame(client::ClientProfile profile, client::ClientSettings settings,
                  CRegistry& registry);

    // The screen's size (logical pixels) and the display's scale, before the window is
    // shown; from then on the window's own size is the screen's.
    void StartOnScreen(int width, int height, int scaleFactor);
    // The library's search field, once the window has one: its placeholder and the input
    // panel follow the handheld's focus rule.
    void AttachSearchField(Gtk::Entry& field);

protected:
    int32_t KeyCodeOf(unsigned keyval) const override;
    void ScreenShown(const std::string& screen) override;

private:
    void BuildHandheldHeader();
    void StyleHandheld();
    void OnAllocated(int width, int height);
    void ReactToSize();
    void React(const ScreenReaction& reaction);
    // Takes the skins of the VGA flag and loads the skin again.
    void ReapplySkin(bool vga);
    void Refit();
    void OnFocusChanged(Gtk::Widget* focus);

    ScreenWatch m_watch{false};
    InputPanel m_panel;
    bool m_panelUpAtStart = false;
    bool m_textFocused = false;
    Gtk::Stack m_stack;
    Gtk::ScrolledWindow m_facePage;
    Gtk::EventBox m_messageBox;
    Gtk::Label m_message;
    std::vector<std::unique_ptr<LongPressMenus>> m_longPresses;
    std::unique_ptr<SearchFieldFocus> m_searchFocus;
    Glib::RefPtr<Gtk::CssProvider> m_css;
    int m_scaleFactor = 1;
    int m_width = 0;
    int m_height = 0;
    int m_styledWidth = 0;
    bool m_reactionQueued = false;
};

}  // namespace vantor::handheld
