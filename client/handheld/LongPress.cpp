#include "client/handheld/LongPress.h"

namespace vantor::handheld {

LongPressMenus::LongPressMenus(Gtk::TreeView& tree)
    : m_tree(tree), m_gesture(Gtk::GestureLongPress::create(tree)) {
    m_gesture->set_propagation_phase(Gtk::PHASE_CAPTURE);
    m_gesture->signal_pressed().connect(sigc::mem_fun(*this, &LongPressMenus::OnPressed));
    m_gesture->signal_end().connect([this](GdkEventSequence*) { OnEnd(); });
    m_gesture->signal_cancelled().connect([this] { m_held = false; });
}

void LongPressMenus::OnPressed(double x, double y) {
    // The press was the menu's: the list does not also take it as the start of a drag.
    m_gesture->set_state(Gtk::EVENT_SEQUENCE_CLAIMED);
    m_held = true;
    m_x = x;
    m_y = y;
}

void LongPressMenus::OnEnd() {
    if (!m_held) return;
    m_held = false;
    OpenMenu(m_x, m_y);
}

void LongPressMenus::OpenMenu(double x, double y) {
    GdkWindow* rows = gtk_tree_view_get_bin_window(m_tree.gobj());
    if (!rows) return;
    int binX = 0;
    int binY = 0;
    m_tree.convert_widget_to_bin_window_coords(static_cast<int>(x), static_cast<int>(y), binX,
                                               binY);
    int rootX = 0;
    int rootY = 0;
    gdk_window_get_root_coords(rows, binX, binY, &rootX, &rootY);

    GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
    event->button.window = GDK_WINDOW(g_object_ref(rows));
    event->button.send_event = TRUE;
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = binX;
    event->button.y = binY;
    event->button.x_root = rootX;
    event->button.y_root = rootY;
    event->button.button = GDK_BUTTON_SECONDARY;
    GdkDevice* device = m_gesture->get_device() ? m_gesture->get_device()->gobj() : nullptr;
    if (!device) {
        GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(rows));
        device = seat ? gdk_seat_get_pointer(seat) : nullptr;
    }
    if (device) gdk_event_set_device(event, device);
    gtk_widget_event(GTK_WIDGET(m_tree.gobj()), event);
    gdk_event_free(event);
}

}  // namespace vantor::handheld
