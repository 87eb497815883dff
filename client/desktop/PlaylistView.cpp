#include "client/desktop/PlaylistView.h"

#include <gtkmm/adjustment.h>
#include <gtkmm/cellrendererpixbuf.h>
#include <gtkmm/cellrenderertext.h>

#include "client/desktop/PlaylistModel.h"

namespace vantor::desktop {

PlaylistView::PlaylistView(const std::string& name, const std::string& header, bool icons) {
    set_name(name);
    set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    set_shadow_type(Gtk::SHADOW_NONE);
    add(m_tree);
    m_tree.set_name(name + ".tree");
    m_tree.set_enable_search(false);
    m_tree.set_headers_visible(false);

    auto* text = Gtk::manage(new Gtk::CellRendererText());
    text->property_ellipsize() = Pango::ELLIPSIZE_END;
    auto* markColumn = Gtk::manage(new Gtk::TreeViewColumn(""));
    if (icons) {
        auto* icon = Gtk::manage(new Gtk::CellRendererPixbuf());
        icon->property_xpad() = 2;
        markColumn->pack_start(*icon, false);
        markColumn->add_attribute(*icon, "pixbuf", PlaylistModel::kIconColumn);
    } else {
        auto* mark = Gtk::manage(new Gtk::CellRendererText());
        markColumn->pack_start(*mark, false);
        markColumn->add_attribute(*mark, "text", PlaylistModel::kMarkColumn);
    }
    markColumn->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    markColumn->set_fixed_width(22);
    auto* textColumn = Gtk::manage(new Gtk::TreeViewColumn(header));
    textColumn->pack_start(*text, true);
    textColumn->add_attribute(*text, "text", PlaylistModel::kTextColumn);
    textColumn->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    textColumn->set_expand(true);
    m_tree.append_column(*markColumn);
    m_tree.append_column(*textColumn);
    m_tree.set_fixed_height_mode(true);

    m_tree.add_events(Gdk::BUTTON_PRESS_MASK);
    m_tree.signal_button_press_event().connect(sigc::mem_fun(*this, &PlaylistView::OnContextPress),
                                               false);
    m_tree.signal_row_activated().connect(
        [this](const Gtk::TreeModel::Path& path, Gtk::TreeViewColumn*) {
            if (onActivate && !path.empty()) onActivate(path[0]);
        });
}

void PlaylistView::SetModel(const Glib::RefPtr<Gtk::TreeModel>& model) {
    m_model = model;
    m_tree.set_model(model);
}

void PlaylistView::ChangeRowCount(const std::function<void()>& change) {
    const double scroll = get_vadjustment()->get_value();
    m_tree.unset_model();
    change();
    if (m_model) m_tree.set_model(m_model);
    get_vadjustment()->set_value(scroll);
}

int PlaylistView::SelectedRow() const {
    auto selection = const_cast<Gtk::TreeView&>(m_tree).get_selection();
    auto rows = selection->get_selected_rows();
    return rows.empty() || rows.front().empty() ? -1 : rows.front()[0];
}

void PlaylistView::SelectRow(int row) {
    if (!m_model || row < 0 || row >= static_cast<int>(m_model->children().size())) return;
    Gtk::TreeModel::Path path;
    path.push_back(row);
    m_tree.get_selection()->select(path);
}

void PlaylistView::ScrollToRow(int row) {
    if (!m_model || row < 0 || row >= static_cast<int>(m_model->children().size())) return;
    if (!m_tree.get_realized()) return;
    Gtk::TreeModel::Path path;
    path.push_back(row);
    m_tree.scroll_to_row(path, 0.3);
}

void PlaylistView::ScrollToTop(int row) {
    if (!m_model || row <= 0 || row >= static_cast<int>(m_model->children().size())) {
        get_vadjustment()->set_value(0);
        return;
    }
    Gtk::TreeModel::Path path;
    path.push_back(row);
    m_tree.scroll_to_row(path, 0.0);
}

int PlaylistView::FirstVisibleRow() const {
    Gtk::TreeModel::Path start;
    Gtk::TreeModel::Path end;
    auto& tree = const_cast<Gtk::TreeView&>(m_tree);
    if (!tree.get_realized() || !tree.get_visible_range(start, end) || start.empty()) return 0;
    return start[0];
}

void PlaylistView::FocusRow(int row) {
    m_tree.grab_focus();
    if (!m_model || m_model->children().empty()) return;
    if (row < 0) row = 0;
    Gtk::TreeModel::Path path;
    path.push_back(row);
    m_tree.set_cursor(path);
}

void PlaylistView::ScrollRows(int rows) {
    auto adjustment = get_vadjustment();
    const int count = m_model ? static_cast<int>(m_model->children().size()) : 0;
    if (count <= 0) return;
    const double rowHeight = adjustment->get_upper() / count;
    adjustment->set_value(adjustment->get_value() + rows * rowHeight);
}

void PlaylistView::EnableReordering(std::function<void(int, int)> onMove) {
    m_onMove = std::move(onMove);
    m_tree.add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::POINTER_MOTION_MASK);
    m_tree.signal_button_press_event().connect(sigc::mem_fun(*this, &PlaylistView::OnPress), false);
    m_tree.signal_button_release_event().connect(sigc::mem_fun(*this, &PlaylistView::OnRelease),
                                                 false);
    m_tree.signal_motion_notify_event().connect(sigc::mem_fun(*this, &PlaylistView::OnMotion),
                                                false);
}

int PlaylistView::RowAt(double y) const {
    Gtk::TreeModel::Path path;
    Gtk::TreeViewColumn* column = nullptr;
    int cellX = 0;
    int cellY = 0;
    auto& tree = const_cast<Gtk::TreeView&>(m_tree);
    if (!tree.get_path_at_pos(1, static_cast<int>(y), path, column, cellX, cellY) || path.empty())
        return -1;
    return path[0];
}

bool PlaylistView::OnContextPress(GdkEventButton* event) {
    if (event->button != 3 || event->type != GDK_BUTTON_PRESS || !onContextMenu) return false;
    const int row = RowAt(event->y);
    if (row < 0) return true;
    m_tree.grab_focus();
    Gtk::TreeModel::Path path;
    path.push_back(row);
    m_tree.set_cursor(path);
    onContextMenu(row, reinterpret_cast<const GdkEvent*>(event));
    return true;
}

bool PlaylistView::OnPress(GdkEventButton* event) {
    if (event->button == 1 && event->type == GDK_BUTTON_PRESS) {
        m_dragFrom = RowAt(event->y);
        m_dragging = m_dragFrom >= 0;
        m_dragOutside = 0;
    }
    return false;
}

bool PlaylistView::OnMotion(GdkEventMotion* event) {
    if (!m_dragging) return false;
    const int height = m_tree.get_allocated_height();
    m_dragOutside = event->y < 0 ? -1 : (event->y > height ? 1 : 0);
    return false;
}

bool PlaylistView::OnRelease(GdkEventButton* event) {
    if (!m_dragging || event->button != 1) return false;
    m_dragging = false;
    m_dragOutside = 0;
    int to = RowAt(event->y);
    if (to < 0 && event->y > 0 && m_model) to = static_cast<int>(m_model->children().size()) - 1;
    if (to < 0) to = 0;
    if (to != m_dragFrom && m_onMove) {
        m_onMove(m_dragFrom, to);
        SelectRow(to);
        return true;
    }
    return false;
}

}  // namespace vantor::desktop
