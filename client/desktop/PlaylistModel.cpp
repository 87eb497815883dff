#include "client/desktop/PlaylistModel.h"

#include <glibmm/main.h>

namespace vantor::desktop {

namespace {

constexpr char kPlayingMark[] = "\u25B6";  // a right-pointing triangle

}  // namespace

Glib::RefPtr<PlaylistModel> PlaylistModel::create() {
    return Glib::RefPtr<PlaylistModel>(new PlaylistModel());
}

PlaylistModel::PlaylistModel()
    : Glib::ObjectBase(typeid(PlaylistModel)),  // registers the custom type
      Glib::Object() {}

void PlaylistModel::SetRowCount(int count) {
    if (count < 0) count = 0;
    m_rowCount = count;
    m_rows.erase(m_rows.lower_bound(count), m_rows.end());
    m_requested.clear();
    ++m_stamp;
}

void PlaylistModel::SetRows(int start, const std::vector<std::string>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = start + static_cast<int>(i);
        if (row >= m_rowCount) break;
        m_rows[row] = rows[i];
        RowChanged(row);
    }
}

void PlaylistModel::Forget() {
    m_rows.clear();
    m_requested.clear();
    // Rows in view ask again as they are drawn.
    for (int row = 0; row < m_rowCount && row < 2 * kPageSize; ++row) RowChanged(row);
}

void PlaylistModel::SetCurrent(int row) {
    const int old = m_current;
    m_current = row;
    if (old >= 0 && old < m_rowCount) RowChanged(old);
    if (row >= 0 && row < m_rowCount) RowChanged(row);
}

void PlaylistModel::MoveRow(int from, int to) {
    if (from < 0 || to < 0 || from >= m_rowCount || to >= m_rowCount || from == to) return;
    const std::string moved = RowText(from);
    const int step = from < to ? 1 : -1;
    for (int row = from; row != to; row += step) m_rows[row] = RowText(row + step);
    m_rows[to] = moved;
    for (int row = std::min(from, to); row <= std::max(from, to); ++row) RowChanged(row);
}

std::string PlaylistModel::RowText(int row) const {
    auto found = m_rows.find(row);
    return found == m_rows.end() ? std::string() : found->second;
}

void PlaylistModel::RowChanged(int row) {
    iterator iter;
    if (!MakeIter(row, iter)) return;
    Path path;
    path.push_back(row);
    row_changed(path, iter);
}

void PlaylistModel::RequestPage(int row) const {
    const int start = row / kPageSize * kPageSize;
    if (!m_requested.insert(start).second || !onPageNeeded) return;
    // The view asks while it draws: the request goes out from the main loop afterwards.
    auto request = onPageNeeded;
    Glib::signal_idle().connect_once([request, start] { request(start); });
}

Gtk::TreeModelFlags PlaylistModel::get_flags_vfunc() const {
    return Gtk::TREE_MODEL_LIST_ONLY;
}

int PlaylistModel::get_n_columns_vfunc() const {
    return kColumnCount;
}

GType PlaylistModel::get_column_type_vfunc(int) const {
    return G_TYPE_STRING;
}

void PlaylistModel::get_value_vfunc(const iterator& iter, int column,
                                    Glib::ValueBase& value) const {
    const int row = RowOf(iter);
    Glib::Value<Glib::ustring> text;
    text.init(G_TYPE_STRING);
    if (row >= 0 && row < m_rowCount) {
        if (column == kMarkColumn) {
            text.set(row == m_current ? kPlayingMark : "");
        } else {
            auto found = m_rows.find(row);
            if (found == m_rows.end()) {
                RequestPage(row);
            } else {
                text.set(found->second);
            }
        }
    }
    value.init(G_TYPE_STRING);
    g_value_copy(text.gobj(), value.gobj());
}

bool PlaylistModel::MakeIter(int row, iterator& iter) const {
    if (row < 0 || row >= m_rowCount) return false;
    iter.set_stamp(m_stamp);
    iter.gobj()->user_data = GINT_TO_POINTER(row + 1);
    return true;
}

int PlaylistModel::RowOf(const iterator& iter) const {
    if (iter.get_stamp() != m_stamp) return -1;
    return GPOINTER_TO_INT(iter.gobj()->user_data) - 1;
}

bool PlaylistModel::iter_next_vfunc(const iterator& iter, iterator& iterNext) const {
    const int row = RowOf(iter);
    return row >= 0 && MakeIter(row + 1, iterNext);
}

bool PlaylistModel::iter_children_vfunc(const iterator&, iterator&) const {
    return false;
}

bool PlaylistModel::iter_has_child_vfunc(const iterator&) const {
    return false;
}

int PlaylistModel::iter_n_children_vfunc(const iterator&) const {
    return 0;
}

int PlaylistModel::iter_n_root_children_vfunc() const {
    return m_rowCount;
}

bool PlaylistModel::iter_nth_child_vfunc(const iterator&, int, iterator&) const {
    return false;
}

bool PlaylistModel::iter_nth_root_child_vfunc(int n, iterator& iter) const {
    return MakeIter(n, iter);
}

bool PlaylistModel::iter_parent_vfunc(const iterator&, iterator&) const {
    return false;
}

Gtk::TreeModel::Path PlaylistModel::get_path_vfunc(const iterator& iter) const {
    Path path;
    const int row = RowOf(iter);
    if (row >= 0) path.push_back(row);
    return path;
}

bool PlaylistModel::get_iter_vfunc(const Path& path, iterator& iter) const {
    if (path.size() != 1) return false;
    return MakeIter(path[0], iter);
}

}  // namespace vantor::desktop
