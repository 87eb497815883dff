#pragma once

// A skinned list placed by a window component: a tree view over a virtual model in a
// scrolled window, in fixed-height mode so that only rows in view are asked for. Rows can
// be dragged to a new place when reordering is on (the play list editor).

#include <gtkmm/scrolledwindow.h>
#include <gtkmm/treeview.h>

#include <functional>
#include <string>

namespace vantor::desktop {

class PlaylistView : public Gtk::ScrolledWindow {
public:
    // `header`: "Tracks" for play lists, "Items" for the library list. With `icons` the
    // first column shows the model's icon column instead of its mark.
    PlaylistView(const std::string& name, const std::string& header, bool icons = false);

    void SetModel(const Glib::RefPtr<Gtk::TreeModel>& model);
    // Detaches the model around a change of its row count (a virtual list changes its
    // count at once rather than announcing every row).
    void ChangeRowCount(const std::function<void()>& change);
    int SelectedRow() const;
    void SelectRow(int row);
    void ScrollToRow(int row);
    // Scrolls so that `row` is the top row in view (to the top when there is no such row).
    void ScrollToTop(int row);
    // The first row in view (0 when none).
    int FirstVisibleRow() const;
    void FocusRow(int row);
    Gtk::TreeView& Tree() { return m_tree; }

    // Reordering by dragging a row: `onMove(from, to)` when dropped on another row.
    void EnableReordering(std::function<void(int from, int to)> onMove);
    // While a dragged row is held above (-1) or below (1) the list, else 0.
    int DragDirection() const { return m_dragging ? m_dragOutside : 0; }
    // Scrolls `rows` rows (negative: up).
    void ScrollRows(int rows);

    std::function<void(int row)> onActivate;  // double click or Enter on a row
    // A right click on a row (selected first), with the event for placing a menu.
    std::function<void(int row, const GdkEvent* event)> onContextMenu;

private:
    int RowAt(double y) const;
    bool OnPress(GdkEventButton* event);
    bool OnContextPress(GdkEventButton* event);
    bool OnRelease(GdkEventButton* event);
    bool OnMotion(GdkEventMotion* event);

    Gtk::TreeView m_tree;
    Glib::RefPtr<Gtk::TreeModel> m_model;
    std::function<void(int, int)> m_onMove;
    bool m_dragging = false;
    int m_dragFrom = -1;
    int m_dragOutside = 0;
};

}  // namespace vantor::desktop
