#include "client/desktop/PlaylistModel.h"

#include <glibmm/main.h>
#include <gtk/gtk.h>

namespace vantor::desktop {
namespace {

constexpr char kPlayingMark[] = "\u25B6";  // a right-pointing triangle

// The GObject behind the model: the tree model interface asks its owner.
struct RowsObject {
    GObject parent;
    const PlaylistModel* owner;
};

struct RowsObjectClass {
    GObjectClass parent;
};

const PlaylistModel* Owner(GtkTreeModel* model) {
    return reinterpret_cast<RowsObject*>(model)->owner;
}

bool MakeIter(GtkTreeModel* model, int row, GtkTreeIter* iter) {
    const PlaylistModel* owner = Owner(model);
    if (!owner || row < 0 || row >= owner->RowCount()) return false;
    iter->stamp = owner->Stamp();
    iter->user_data = GINT_TO_POINTER(row + 1);
    return true;
}

int RowOf(GtkTreeModel* model, GtkTreeIter* iter) {
    const PlaylistModel* owner = Owner(model);
    if (!owner || !iter || iter->stamp != owner->Stamp()) return -1;
    return GPOINTER_TO_INT(iter->user_data) - 1;
}

GtkTreeModelFlags GetFlags(GtkTreeModel*) {
    return static_cast<GtkTreeModelFlags>(GTK_TREE_MODEL_LIST_ONLY);
}

gint GetColumnCount(GtkTreeModel*) {
    return PlaylistModel::kColumnCount;
}

GType GetColumnType(GtkTreeModel*, gint column) {
    return column == PlaylistModel::kIconColumn ? GDK_TYPE_PIXBUF : G_TYPE_STRING;
}

gboolean GetIter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path) {
    if (gtk_tree_path_get_depth(path) != 1) return FALSE;
    return MakeIter(model, gtk_tree_path_get_indices(path)[0], iter);
}

GtkTreePath* GetPath(GtkTreeModel* model, GtkTreeIter* iter) {
    GtkTreePath* path = gtk_tree_path_new();
    const int row = RowOf(model, iter);
    if (row >= 0) gtk_tree_path_append_index(path, row);
    return path;
}

void GetValue(GtkTreeModel* model, GtkTreeIter* iter, gint column, GValue* value) {
    const bool icon = column == PlaylistModel::kIconColumn;
    g_value_init(value, icon ? GDK_TYPE_PIXBUF : G_TYPE_STRING);
    const int row = RowOf(model, iter);
    if (row < 0 || !Owner(model)) return;
    if (icon) {
        g_value_set_object(value, Owner(model)->CellIcon(row));
    } else {
        g_value_set_string(value, Owner(model)->CellText(row, column).c_str());
    }
}

gboolean IterNext(GtkTreeModel* model, GtkTreeIter* iter) {
    const int row = RowOf(model, iter);
    return row >= 0 && MakeIter(model, row + 1, iter);
}

gboolean IterChildren(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent) {
    return parent == nullptr && MakeIter(model, 0, iter);
}

gboolean IterHasChild(GtkTreeModel*, GtkTreeIter*) {
    return FALSE;
}

gint IterChildCount(GtkTreeModel* model, GtkTreeIter* iter) {
    return iter == nullptr && Owner(model) ? Owner(model)->RowCount() : 0;
}

gboolean IterNthChild(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
    return parent == nullptr && MakeIter(model, n, iter);
}

gboolean IterParent(GtkTreeModel*, GtkTreeIter*, GtkTreeIter*) {
    return FALSE;
}

void InitTreeModel(gpointer interfacePointer, gpointer) {
    auto* iface = static_cast<GtkTreeModelIface*>(interfacePointer);
    iface->get_flags = GetFlags;
    iface->get_n_columns = GetColumnCount;
    iface->get_column_type = GetColumnType;
    iface->get_iter = GetIter;
    iface->get_path = GetPath;
    iface->get_value = GetValue;
    iface->iter_next = IterNext;
    iface->iter_children = IterChildren;
    iface->iter_has_child = IterHasChild;
    iface->iter_n_children = IterChildCount;
    iface->iter_nth_child = IterNthChild;
    iface->iter_parent = IterParent;
}

GType RowsObjectType() {
    static const GType type = [] {
        const GType registered = g_type_register_static_simple(
            G_TYPE_OBJECT, "VantorPlaylistRows", sizeof(RowsObjectClass), nullptr,
            sizeof(RowsObject), nullptr, static_cast<GTypeFlags>(0));
        const GInterfaceInfo info = {InitTreeModel, nullptr, nullptr};
        g_type_add_interface_static(registered, GTK_TYPE_TREE_MODEL, &info);
        return registered;
    }();
    return type;
}

}  // namespace

PlaylistModel::PlaylistModel() {
    m_object = static_cast<GObject*>(g_object_new(RowsObjectType(), nullptr));
    reinterpret_cast<RowsObject*>(m_object)->owner = this;
}

PlaylistModel::~PlaylistModel() {
    // Views may still hold the object: it answers as an empty list from now on.
    reinterpret_cast<RowsObject*>(m_object)->owner = nullptr;
    g_object_unref(m_object);
}

Glib::RefPtr<Gtk::TreeModel> PlaylistModel::TreeModel() const {
    return Glib::wrap(GTK_TREE_MODEL(m_object), true);
}

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

std::string PlaylistModel::CellText(int row, int column) const {
    if (row < 0 || row >= m_rowCount) return {};
    if (column == kMarkColumn) return row == m_current ? kPlayingMark : "";
    auto found = m_rows.find(row);
    if (found != m_rows.end()) return found->second;
    RequestPage(row);
    return {};
}

GdkPixbuf* PlaylistModel::CellIcon(int row) const {
    if (row < 0 || row >= m_rowCount || !iconFor || !m_rows.count(row)) return nullptr;
    return iconFor(row);
}

void PlaylistModel::RowChanged(int row) {
    GtkTreeIter iter;
    if (!MakeIter(GTK_TREE_MODEL(m_object), row, &iter)) return;
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_model_row_changed(GTK_TREE_MODEL(m_object), path, &iter);
    gtk_tree_path_free(path);
}

void PlaylistModel::RequestPage(int row) const {
    const int start = row / kPageSize * kPageSize;
    if (!m_requested.insert(start).second || !onPageNeeded) return;
    // The view asks while it draws: the request goes out from the main loop afterwards.
    auto request = onPageNeeded;
    Glib::signal_idle().connect_once([request, start] { request(start); });
}

}  // namespace vantor::desktop
