#pragma once

// A long press on a list opens what a right click opens on the desktop: the press is handed
// to the list as a right-button press at the same row, so the list's own context menu
// (selection of the row included) serves both.

#include <gtkmm/gesturelongpress.h>
#include <gtkmm/treeview.h>

namespace vantor::handheld {

class LongPressMenus {
public:
    explicit LongPressMenus(Gtk::TreeView& tree);

private:
    void OnPressed(double x, double y);

    Gtk::TreeView& m_tree;
    Glib::RefPtr<Gtk::GestureLongPress> m_gesture;
};

}  // namespace vantor::handheld
