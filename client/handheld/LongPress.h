#pragma once

// A long press on a list opens what a right click opens on the desktop: the press is handed
// to the list as a right-button press at the same row, so the list's own context menu
// (selection of the row included) serves both. The menu opens when the finger lifts: opened
// while it is still down, the lift would close it again at once.

#include <gtkmm/gesturelongpress.h>
#include <gtkmm/treeview.h>

namespace vantor::handheld {

class LongPressMenus {
public:
    explicit LongPressMenus(Gtk::TreeView& tree);

private:
    void OnPressed(double x, double y);
    void OnEnd();
    void OpenMenu(double x, double y);

    Gtk::TreeView& m_tree;
    Glib::RefPtr<Gtk::GestureLongPress> m_gesture;
    bool m_held = false;
    double m_x = 0;
    double m_y = 0;
};

}  // namespace vantor::handheld
