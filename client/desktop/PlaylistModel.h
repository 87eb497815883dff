#pragma once

// The play list as a virtual GTK list model: it knows the row count and the pages of 50
// rows received so far. Asking for the text of a row not yet received asks the owner for
// its page (once), so rows come from the server as they come into view; nothing holds the
// whole list. Both play lists show one model. Main thread only.
//
// The model is a small GObject implementing the toolkit's tree model interface, handed to
// the views through TreeModel().

#include <gtkmm/treemodel.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantor::desktop {

class PlaylistModel {
public:
    static constexpr int kPageSize = 50;
    enum Column { kMarkColumn = 0, kTextColumn = 1, kIconColumn = 2, kColumnCount = 3 };

    PlaylistModel();
    ~PlaylistModel();
    PlaylistModel(const PlaylistModel&) = delete;
    PlaylistModel& operator=(const PlaylistModel&) = delete;

    Glib::RefPtr<Gtk::TreeModel> TreeModel() const;
    // The same as the toolkit's C object (needs no C++ wrapper, so no toolkit set-up).
    GtkTreeModel* Gobj() const { return GTK_TREE_MODEL(m_object); }

    // The row count as the server gave it; rows beyond it are dropped.
    int RowCount() const { return m_rowCount; }
    // Call with the views detached (see PlaylistView) when the count changes.
    void SetRowCount(int count);
    // Stores the rows of a page beginning at `start`.
    void SetRows(int start, const std::vector<std::string>& rows);
    // Forgets every received row (the play list changed); the count stays.
    void Forget();
    // The playing row, marked in the first column; -1 for none.
    void SetCurrent(int row);
    // Moves a row locally, as the server is asked to.
    void MoveRow(int from, int to);
    std::string RowText(int row) const;

    // Asked for a page (its first row) that is not there yet.
    std::function<void(int start)> onPageNeeded;
    // The picture of a row's icon column (not owned; null for none).
    std::function<GdkPixbuf*(int row)> iconFor;

    // For the tree model interface.
    int Stamp() const { return m_stamp; }
    std::string CellText(int row, int column) const;
    GdkPixbuf* CellIcon(int row) const;

private:
    void RowChanged(int row);
    void RequestPage(int row) const;

    GObject* m_object = nullptr;
    int m_rowCount = 0;
    int m_current = -1;
    int m_stamp = 1;
    std::map<int, std::string> m_rows;  // received rows by index
    mutable std::set<int> m_requested;  // pages asked for (first rows)
};

}  // namespace vantor::desktop
