#pragma once

// The play list as a virtual GTK list model: it knows the row count and the pages of 50
// rows received so far. Asking for the text of a row not yet received asks the owner for
// its page (once), so rows come from the server as they come into view; nothing holds the
// whole list. Both play lists show one model. Main thread only.

#include <gtkmm/treemodel.h>
#include <gtkmm/treepath.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantor::desktop {

class PlaylistModel : public Glib::Object, public Gtk::TreeModel {
public:
    static constexpr int kPageSize = 50;
    enum Column { kMarkColumn = 0, kTextColumn = 1, kColumnCount = 2 };

    static Glib::RefPtr<PlaylistModel> create();

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

protected:
    PlaylistModel();

    Gtk::TreeModelFlags get_flags_vfunc() const override;
    int get_n_columns_vfunc() const override;
    GType get_column_type_vfunc(int index) const override;
    void get_value_vfunc(const iterator& iter, int column, Glib::ValueBase& value) const override;
    bool iter_next_vfunc(const iterator& iter, iterator& iterNext) const override;
    bool iter_children_vfunc(const iterator& parent, iterator& iter) const override;
    bool iter_has_child_vfunc(const iterator& iter) const override;
    int iter_n_children_vfunc(const iterator& iter) const override;
    int iter_n_root_children_vfunc() const override;
    bool iter_nth_child_vfunc(const iterator& parent, int n, iterator& iter) const override;
    bool iter_nth_root_child_vfunc(int n, iterator& iter) const override;
    bool iter_parent_vfunc(const iterator& child, iterator& iter) const override;
    Path get_path_vfunc(const iterator& iter) const override;
    bool get_iter_vfunc(const Path& path, iterator& iter) const override;

private:
    bool MakeIter(int row, iterator& iter) const;
    int RowOf(const iterator& iter) const;
    void RowChanged(int row);
    void RequestPage(int row) const;

    int m_rowCount = 0;
    int m_current = -1;
    int m_stamp = 1;
    std::map<int, std::string> m_rows;  // received rows by index
    mutable std::set<int> m_requested;  // pages asked for (first rows)
};

}  // namespace vantor::desktop
